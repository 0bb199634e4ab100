#include "program/visibility_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"
#include "core/calculo.h"
#include "core/file_names.h"
#include "core/plausibility.h"
#include "core/program_values.h"
#include "core/text.h"
#include "core/win1252.h"
#include "pagefile/emf_player.h"
#include "pagefile/emf_writer.h"
#include "pagefile/forwarding_canvas.h"
#include "pagefile/page_export.h"
#include "pagefile/page_images.h"
#include "pagefile/page_set.h"
#include "program/main_window.h"
#include "program/page_view.h"
#include "report/accessibility_output.h"
#include "report/analysis_pages.h"
#include "report/dxf_file.h"
#include "report/report_images.h"
#include "report/report_pages.h"
#include "report/sightline_analysis.h"
#include "report/sightline_geometry.h"
#include "runtime/startup.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/qt_text.h"
#include "ui/screen_fit.h"

namespace vm {

namespace {

const char* const kTitle = "Visibilidade dos Assentos";

Canvas* g_recorder = nullptr;

std::string TargetText(double targetCmm) {
    return AllTrim(Str(targetCmm, 40, targetCmm == std::round(targetCmm) ? 0 : 1));
}

// The last target chosen, kept between runs in the user's settings.
const char* const kTargetKey = "visibilidade/valorC";

double RememberedTarget() {
    const QSettings settings(QStringLiteral("Vistametra"), QStringLiteral("vistametra"));
    const std::optional<double> kept =
        TargetCFromText(settings.value(QLatin1String(kTargetKey)).toString().toStdString());
    return kept.value_or(kDefaultTargetCmm);
}

void RememberTarget(double targetCmm) {
    QSettings settings(QStringLiteral("Vistametra"), QStringLiteral("vistametra"));
    settings.setValue(QLatin1String(kTargetKey), QString::fromStdString(TargetText(targetCmm)));
}

class Window final : public QWidget {
public:
    explicit Window(QWidget* parent) : QWidget(parent, Qt::Window) {
        setObjectName(QStringLiteral("wVisibilidade"));
        setWindowTitle(QString::fromUtf8(kTitle));
        setAttribute(Qt::WA_DeleteOnClose);
        ResizeWithinScreen(this, QSize(780, 860));

        auto* target = new QComboBox(this);
        target->setObjectName(QStringLiteral("cAlvoC"));
        target->setEditable(true);
        target->addItems({QStringLiteral("60"), QStringLiteral("90"), QStringLiteral("120")});
        m_targetCmm = RememberedTarget();
        target->setInsertPolicy(QComboBox::NoInsert);
        // No completion from the presets: a typed "12" is 12 mm, not 120.
        target->setCompleter(nullptr);
        // An empty box is let through to TargetChanged, which refuses it with a message.
        target->lineEdit()->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("(\\d{1,4}([.,]\\d{0,1})?)?")), target));
        const QString remembered = QString::fromStdString(TargetText(m_targetCmm));
        target->setCurrentIndex(target->findText(remembered));
        if (target->currentIndex() < 0) {
            target->setEditText(remembered);
        }
        target->setToolTip(
            QString::fromUtf8("Valor C desejado em milímetros: 60, 90, 120 ou qualquer outro"));
        m_target = target;

        m_proposal = new QLabel(this);
        m_proposal->setObjectName(QStringLiteral("lDegrau"));

        m_staggered = new QCheckBox(QString::fromUtf8("Assentos alternados"), this);
        m_staggered->setObjectName(QStringLiteral("kAlternados"));
        m_staggered->setToolTip(QString::fromUtf8(
            "Cada fila vê entre as cabeças da fila da frente: avaliação pelo C2, sobre a fila "
            "duas à frente"));

        m_apply = new QPushButton(QString::fromUtf8("Aplicar ao projeto"), this);
        m_apply->setObjectName(QStringLiteral("bAplicar"));
        m_apply->setToolTip(QString::fromUtf8(
            "Põe o degrau constante proposto, arredondado para cima ao centímetro, em \"Altura "
            "do degrau da Fila 2\""));

        m_element = new QComboBox(this);
        m_element->setObjectName(QStringLiteral("cElemento"));
        m_element->addItems({QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
        m_element->setCurrentIndex(2);
        m_element->setToolTip(QString::fromUtf8(
            "DISCAS: o menor elemento do conteúdo em % da altura da imagem (os divisores 4, 6 e 8 "
            "equivalem a 2, 3 e 4 %)"));
        m_blocks = new QComboBox(this);
        m_blocks->setObjectName(QStringLiteral("cBlocos"));
        m_blocks->addItems({QString::fromUtf8("melhor"), QStringLiteral("3"), QStringLiteral("4"),
                            QStringLiteral("5")});
        m_blocks->setToolTip(QString::fromUtf8("Filas por bloco dos degraus em blocos"));

        auto* save = new QPushButton(QStringLiteral("Salvar"), this);
        save->setObjectName(QStringLiteral("bSalvar"));
        save->setToolTip(QString::fromUtf8("Salva estas páginas em PDF, PNG ou SVG"));

        auto* bar = new QHBoxLayout;
        bar->addWidget(new QLabel(QString::fromUtf8("Valor C desejado (mm):"), this));
        bar->addWidget(target);
        bar->addWidget(m_staggered);
        bar->addWidget(new QLabel(QString::fromUtf8("EH (%):"), this));
        bar->addWidget(m_element);
        bar->addWidget(new QLabel(QString::fromUtf8("Blocos:"), this));
        bar->addWidget(m_blocks);
        bar->addStretch(1);
        // The proposal and its buttons on a line of their own, so that the window stays narrow.
        auto* proposalBar = new QHBoxLayout;
        m_proposal->setWordWrap(true);
        proposalBar->addWidget(m_proposal, 1);
        proposalBar->addWidget(m_apply);
        proposalBar->addWidget(save);

        m_scroll = new QScrollArea(this);
        m_view = new PageView(m_scroll, "PaginasAnalise");
        m_scroll->setWidget(m_view);
        m_scroll->setWidgetResizable(false);
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->viewport()->installEventFilter(this);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(bar);
        layout->addLayout(proposalBar);
        layout->addLayout(AccessibilityBar());
        layout->addWidget(m_scroll, 1);

        connect(target, &QComboBox::currentIndexChanged, this, [this](int) { TargetChanged(); });
        connect(target->lineEdit(), &QLineEdit::editingFinished, this, [this] { TargetChanged(); });
        connect(m_staggered, &QCheckBox::toggled, this, [this](bool) { Redraw(); });
        connect(m_element, &QComboBox::currentIndexChanged, this, [this](int) { Redraw(); });
        connect(m_blocks, &QComboBox::currentIndexChanged, this, [this](int) { Redraw(); });
        connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
        connect(save, &QPushButton::clicked, this, [this] { Save(); });
        for (QComboBox* box : {m_spacesRow, m_spacesSide}) {
            connect(box, &QComboBox::currentIndexChanged, this, [this](int) { SpacesChosen(); });
        }
        connect(m_interpreter, &QCheckBox::toggled, this, [this](bool on) {
            m_interpreterWidth->setEnabled(on);
            m_interpreterHeight->setEnabled(on);
            m_interpreterCorner->setEnabled(on);
            Redraw();
        });
        connect(m_interpreterCorner, &QComboBox::currentIndexChanged, this,
                [this](int) { Redraw(); });
        for (QSpinBox* box : {m_interpreterWidth, m_interpreterHeight}) {
            connect(box, &QSpinBox::valueChanged, this, [this](int) { Redraw(); });
        }

        RegisterReportImages(m_images);
        RegisterAnalysisImages(m_images);
        Redraw();
    }

    // The child widgets go after this object has become a plain QWidget: their signals (the
    // target field losing the focus as it goes) must no longer reach it.
    ~Window() override {
        m_target->disconnect(this);
        m_target->lineEdit()->disconnect(this);
    }

    // Draws the pages again; returns the first wheelchair space that does not fit the hall.
    std::optional<WheelchairPosition> Redraw() {
        const DadosProjeto p = projeto();
        ListRows(p);
        const SightlineAnalysis a = AnalyseSightlines(
            p, m_targetCmm, m_staggered->isChecked(), m_element->currentText().toDouble(),
            m_blocks->currentIndex() == 0 ? 0 : m_blocks->currentText().toInt(), Accessibility());
        EmfPageCanvas pageFiles(ReferenceDevice::A4(), &m_images);
        PageCollector canvas(pageFiles);
        BuildAnalysisPages(p, a, canvas, {}, 1, programValues().cAutoria);
        if (g_recorder) {
            BuildAnalysisPages(p, a, *g_recorder, {}, 1, programValues().cAutoria);
        }
        m_pages = canvas.TakePages();
        m_view->SetPages(m_pages);
        m_record = p;
        m_proposal->setText(Proposal(a.risers));
        m_proposedStep = a.risers.constantStep.value;
        m_apply->setEnabled(m_proposedStep.has_value());
        const WheelchairPosition* misfit = FirstMisfit(a.wheelchairs);
        return misfit ? std::optional<WheelchairPosition>(*misfit) : std::nullopt;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_scroll->viewport() && event->type() == QEvent::Resize) {
            m_view->setFixedWidth(m_scroll->viewport()->width());
            m_view->FitWidth(m_scroll->viewport()->width());
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    // The wheelchair spaces' row and side, and the interpreter's window with its shares.
    QHBoxLayout* AccessibilityBar() {
        m_spacesRow = new QComboBox(this);
        m_spacesRow->setObjectName(QStringLiteral("cCadeiraFila"));
        m_spacesRow->setToolTip(QString::fromUtf8(
            "Fila dos espaços para cadeira de rodas (0,80 x 1,20 m, junto ao corredor); padrão: a "
            "primeira fila no piso da sala"));
        m_spacesSide = new QComboBox(this);
        m_spacesSide->setObjectName(QStringLiteral("cCadeiraLado"));
        m_spacesSide->addItems({QString::fromUtf8("esquerda e direita"),
                                QString::fromUtf8("esquerda"), QString::fromUtf8("direita")});
        m_interpreter = new QCheckBox(QString::fromUtf8("Intérprete de Libras"), this);
        m_interpreter->setObjectName(QStringLiteral("kInterprete"));
        m_interpreter->setToolTip(QString::fromUtf8(
            "Janela do intérprete num canto inferior da imagem, em % da largura e da altura; "
            "avisa quando o texto do conteúdo fica menor que o menor elemento legível"));
        const auto share = [this](const char* name, const char* tip) {
            auto* box = new QSpinBox(this);
            box->setObjectName(QString::fromLatin1(name));
            box->setRange(1, 99);
            box->setValue(25);
            box->setSuffix(QStringLiteral(" %"));
            box->setToolTip(QString::fromUtf8(tip));
            box->setEnabled(false);
            return box;
        };
        m_interpreterWidth = share("nInterpreteLargura", "Largura da janela, % da imagem");
        m_interpreterHeight = share("nInterpreteAltura", "Altura da janela, % da imagem");
        m_interpreterCorner = new QComboBox(this);
        m_interpreterCorner->setObjectName(QStringLiteral("cInterpreteCanto"));
        m_interpreterCorner->addItems(
            {QString::fromUtf8("direito"), QString::fromUtf8("esquerdo")});
        m_interpreterCorner->setToolTip(QString::fromUtf8(
            "Canto inferior da imagem, visto pela plateia, onde fica a janela do intérprete"));
        m_interpreterCorner->setEnabled(false);
        auto* bar = new QHBoxLayout;
        bar->addWidget(new QLabel(QString::fromUtf8("Cadeiras de rodas: fila"), this));
        bar->addWidget(m_spacesRow);
        bar->addWidget(m_spacesSide);
        bar->addSpacing(16);
        bar->addWidget(m_interpreter);
        bar->addWidget(m_interpreterWidth);
        bar->addWidget(new QLabel(QStringLiteral("x"), this));
        bar->addWidget(m_interpreterHeight);
        bar->addWidget(m_interpreterCorner);
        bar->addStretch(1);
        return bar;
    }

    // "padrão" and the project's rows; the row chosen stays while the project has it.
    void ListRows(const DadosProjeto& p) {
        const int rows = IsSeatRow(p, 0) && !IsSeatRow(p, kMaxAnalysedRows)
                             ? static_cast<int>(std::ceil(p.nNumeroFilas))
                             : 0;
        if (m_spacesRow->count() == rows + 1) {
            return;
        }
        const QSignalBlocker quiet(m_spacesRow);
        const int chosen = m_spacesRow->currentIndex();
        m_spacesRow->clear();
        m_spacesRow->addItem(QString::fromUtf8("padrão"));
        for (int k = 1; k <= rows; ++k) {
            m_spacesRow->addItem(QString::number(k));
        }
        m_spacesRow->setCurrentIndex(chosen <= rows ? std::max(chosen, 0) : 0);
    }

    // A row and an end chosen for the spaces where one of them does not fit the hall (a room
    // narrower than a space beside its wall) are refused with a box, and the last choice that fit
    // comes back.
    void SpacesChosen() {
        const std::optional<WheelchairPosition> misfit = Redraw();
        const bool chosen = m_spacesRow->currentIndex() > 0 || m_spacesSide->currentIndex() > 0;
        if (!misfit || !chosen) {
            m_keptSpacesRow = m_spacesRow->currentIndex();
            m_keptSpacesSide = m_spacesSide->currentIndex();
            return;
        }
        {
            const QSignalBlocker quietRow(m_spacesRow);
            const QSignalBlocker quietSide(m_spacesSide);
            m_spacesRow->setCurrentIndex(m_keptSpacesRow < m_spacesRow->count() ? m_keptSpacesRow
                                                                                 : 0);
            m_spacesSide->setCurrentIndex(m_keptSpacesSide);
        }
        Redraw();
        MsgStop(utf8ToWin1252("Espaço para cadeira de rodas na " + WheelchairPlaceText(*misfit) +
                              ": " + misfit->reason + ". Escolha outra fila ou outro lado."),
                utf8ToWin1252(kTitle));
    }

    AccessibilityInputs Accessibility() const {
        AccessibilityInputs in;
        in.spacesRow = std::max(0, m_spacesRow->currentIndex());
        if (m_spacesSide->currentIndex() > 0) {
            in.spacesSide = m_spacesSide->currentIndex() == 1 ? AisleSide::Left : AisleSide::Right;
        }
        if (m_interpreter->isChecked()) {
            in.interpreter = InterpreterWindow{static_cast<double>(m_interpreterWidth->value()),
                                               static_cast<double>(m_interpreterHeight->value()),
                                               m_interpreterCorner->currentIndex() == 1};
        }
        return in;
    }

    static QString Proposal(const RiserDesign& r) {
        const std::string current = AllTrim(Str(r.currentStep, 40, 3)) + " m";
        if (!r.constantStep.value) {
            return QString::fromUtf8("Degrau constante: - (" + r.constantStep.reason +
                                     "); degrau do projeto " + current);
        }
        return QString::fromUtf8(
            "Degrau constante proposto " + AllTrim(Str(*r.constantStep.value, 40, 3)) + " m" +
            (r.flatFloorSuffices ? " (piso plano basta)" : "") + "; degrau do projeto " + current);
    }

    void TargetChanged() {
        if (m_refusing) {
            return;  // the box below takes the focus from the field: no second message
        }
        const std::optional<double> typed =
            TargetCFromText(m_target->currentText().trimmed().toStdString());
        if (!typed) {
            // The refused text goes before the message, so that nothing reads it again.
            m_target->setEditText(QString::fromStdString(TargetText(m_targetCmm)));
            m_refusing = true;
            MsgStop(utf8ToWin1252("Valor C desejado: digite um número de 1 a 300 mm."),
                    utf8ToWin1252(kTitle));
            m_refusing = false;
            return;
        }
        if (*typed != m_targetCmm) {
            m_targetCmm = *typed;
            RememberTarget(m_targetCmm);
            Redraw();
        }
    }

    // The proposal goes in through the project's field, as if typed there: the record, the
    // results, this window and the report follow. A step that would leave a row's eyes without
    // room for the head under the ceiling is refused, and the project keeps its own.
    void Apply() {
        if (!m_proposedStep) {
            return;
        }
        const double step = StepForTheField(*m_proposedStep);
        const DadosProjeto& p = projeto();
        if (const std::optional<RowUnderTheCeiling> row = FirstRowUnderTheCeiling(p, step)) {
            const auto m = [](double metres) { return AllTrim(Str(metres, 40, 2)) + " m"; };
            MsgStop(utf8ToWin1252("Aplicar ao projeto: com o degrau de " + m(step) +
                                  ", os olhos da fila " + std::to_string(row->row) +
                                  " ficariam a " + m(row->eyeHeight) + " do piso, a menos de " +
                                  m(kHeadroomAboveEyes) + " do pé-direito (" + m(p.nPeDireito) +
                                  "). O degrau do projeto continua " + m(p.nAlturaFila2) + "."),
                    utf8ToWin1252(kTitle));
            return;
        }
        SetAlturaFila2(step);
    }

    // The field holds centimetres: the step goes up to the next one, so that every row still
    // meets the target (0.175 m becomes 0.18 m, never 0.17 m).
    static double StepForTheField(double metres) {
        const double cm = metres * 100;
        const double whole = std::round(cm);
        return (std::abs(cm - whole) <= 1e-9 ? whole : std::ceil(cm)) / 100;
    }

    void Save() {
        // The section and the plan for CAD, of the project as drawn.
        SaveWindowPages(
            {m_pages, win1252ToUtf8(AllTrim(m_record.cProjeto)) + " - " + kTitle},
            DxfSaveFormat(m_record, m_targetCmm, std::nullopt,
                          m_blocks->currentIndex() == 0 ? 0 : m_blocks->currentText().toInt(),
                          Accessibility(), m_staggered->isChecked()));
    }

    NamedImageSource m_images;
    QComboBox* m_target = nullptr;
    QLabel* m_proposal = nullptr;
    QPushButton* m_apply = nullptr;
    QCheckBox* m_staggered = nullptr;
    QComboBox* m_element = nullptr;     // DISCAS's smallest element, % of the image height
    QComboBox* m_blocks = nullptr;      // rows per block of the grouped risers; "melhor" the best
    QComboBox* m_spacesRow = nullptr;   // the wheelchair spaces' row; "padrão" the default
    QComboBox* m_spacesSide = nullptr;  // their end of the row, or both in turn
    int m_keptSpacesRow = 0;            // the last row and end chosen where the spaces fit
    int m_keptSpacesSide = 0;
    QCheckBox* m_interpreter = nullptr;
    QSpinBox* m_interpreterWidth = nullptr;  // the interpreter's window, % of the image
    QSpinBox* m_interpreterHeight = nullptr;
    QComboBox* m_interpreterCorner = nullptr;  // lower right or lower left, as the audience sees
    std::optional<double> m_proposedStep;      // the constant step proposed, when there is one
    bool m_refusing = false;
    QScrollArea* m_scroll = nullptr;
    PageView* m_view = nullptr;
    std::vector<std::vector<uint8_t>> m_pages;  // the EMF pages shown
    DadosProjeto m_record;                      // as last drawn
    double m_targetCmm = kDefaultTargetCmm;
};

OneWindow<Window>& TheWindow() {
    static OneWindow<Window> window;
    return window;
}

}  // namespace

void ShowVisibilityWindow() {
    TheWindow().Show([] { return new Window(MainFormWidget()); });
}

void RefreshVisibilityWindow() {
    if (Window* window = TheWindow().Open()) {
        window->Redraw();
    }
}

QWidget* VisibilityWindow() {
    return TheWindow().Open();
}

void SetVisibilityRecorder(Canvas* recorder) {
    g_recorder = recorder;
}

}  // namespace vm

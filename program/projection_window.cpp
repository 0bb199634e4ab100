#include "program/projection_window.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "core/file_names.h"
#include "core/program_values.h"
#include "core/text.h"
#include "core/win1252.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_set.h"
#include "program/main_window.h"
#include "program/page_view.h"
#include "report/dxf_file.h"
#include "report/projection.h"
#include "report/projection_output.h"
#include "report/projection_page.h"
#include "report/report_images.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/screen_fit.h"

namespace vm {

namespace {

const char* const kTitle = "Projeção";

// One typed input: its field, its label, its limit and where the record keeps it (an input that
// may be missing, or one with a default).
struct InputField {
    const char* object;
    const char* label;
    const char* limit;
    std::optional<double> ProjectionInputs::*optional;
    double ProjectionInputs::*plain;
    const char* hint;
};

const InputField kFields[] = {
    {"eIluminacao", "Iluminação ambiente na tela (lux)", "ambient-lux",
     &ProjectionInputs::ambientLux, nullptr,
     "Iluminância vertical na tela com as luzes da sala acesas; vazio: sem cálculo de brilho"},
    {"eContraste", "Contraste (N:1)", "contrast", nullptr, &ProjectionInputs::contrast,
     "Razão de contraste que a imagem deve manter: 7, 15, 50, 80 ou outra"},
    {"eGanho", "Ganho da tela", "gain", nullptr, &ProjectionInputs::gain, "Ganho da tela (1 = branco fosco)"},
    {"eFatorLente", "Fator da lente", "lens-derating", nullptr, &ProjectionInputs::lensDerating,
     "1 para a lente padrão; 0,8 para lente de distância curta ou longa"},
    {"eFatorLampada", "Fator de envelhecimento", "ageing-derating", nullptr,
     &ProjectionInputs::ageingDerating, "Perda de brilho da lâmpada com o uso (0,75)"},
    {"eRazaoMin", "Razão de projeção mínima", "throw-ratio", &ProjectionInputs::throwRatioMin,
     nullptr, "Distância / largura da imagem, a menor da lente; vazio: sem cálculo de distância"},
    {"eRazaoMax", "Razão de projeção máxima", "throw-ratio", &ProjectionInputs::throwRatioMax,
     nullptr, "A maior da lente zoom; vazio: lente fixa"},
    {"eDeslocamento", "Deslocamento da lente (alturas da imagem)", "lens-offset", nullptr,
     &ProjectionInputs::lensOffset,
     "Centro da lente acima da borda inferior da imagem: 1 no nível do topo, 0,5 no centro"},
    {"eAlturaLente", "Altura da lente (m)", "lens-height", &ProjectionInputs::lensHeight, nullptr,
     "Altura do centro da lente acima do piso; vazio: pelo deslocamento"},
    {"eDistLente", "Distância da lente à tela (m)", "throw-distance",
     &ProjectionInputs::throwDistance, nullptr, "Onde a lente fica; vazio: a menor distância"},
    {"ePitch", "Pitch do LED (mm)", "led-pitch", &ProjectionInputs::ledPitchMm, nullptr,
     "Distância entre pixels do painel de LED; vazio: sem painel"},
    {"eModuloLargura", "Largura do módulo de LED (m)", "led-tile",
     &ProjectionInputs::ledTileWidth, nullptr, "Largura de um módulo do painel"},
    {"eModuloAltura", "Altura do módulo de LED (m)", "led-tile", &ProjectionInputs::ledTileHeight,
     nullptr, "Altura de um módulo do painel"},
};

// A value as the field shows it: the shortest text that reads back the same, "." before the
// decimals as in the main window.
QString FieldText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

std::optional<double> Value(const ProjectionInputs& in, const InputField& f) {
    return f.optional ? in.*f.optional : std::optional<double>(in.*f.plain);
}

// A field given the focus by a click or Tab selects its whole text, so that what is typed replaces
// it, as in the main window; a click in the field being edited places the caret.
class SelectOnFocus final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason) {
                // After the click that brought the focus has placed its caret.
                QPointer<QLineEdit> edit = qobject_cast<QLineEdit*>(watched);
                QTimer::singleShot(0, edit, [edit] {
                    if (edit && edit->hasFocus()) {
                        edit->selectAll();
                    }
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

class Window final : public QWidget {
public:
    explicit Window(QWidget* parent) : QWidget(parent, Qt::Window) {
        setObjectName(QStringLiteral("wProjecao"));
        setWindowTitle(QString::fromUtf8(kTitle));
        setAttribute(Qt::WA_DeleteOnClose);

        auto* form = new QGridLayout;
        int row = 0;
        m_category = new QComboBox(this);
        m_category->setObjectName(QStringLiteral("cCategoria"));
        for (const ViewingCategory& c : kViewingCategories) {
            m_category->addItem(QString::fromUtf8(c.name) +
                                QStringLiteral(" (%1:1)").arg(static_cast<int>(c.contrast)));
        }
        m_category->setToolTip(QString::fromUtf8(
            "Categoria de visualização (ANSI/INFOCOMM 3M-2011): põe o seu contraste mínimo"));
        form->addWidget(new QLabel(QString::fromUtf8("Categoria de visualização"), this), row, 0);
        form->addWidget(m_category, row++, 1);
        auto* selectOnFocus = new SelectOnFocus(this);
        const QRegularExpression number(QStringLiteral("-?\\d{0,6}([.,]\\d{0,4})?"));
        for (const InputField& f : kFields) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::fromLatin1(f.object));
            edit->setValidator(new QRegularExpressionValidator(number, edit));
            edit->setToolTip(QString::fromUtf8(f.hint));
            edit->installEventFilter(selectOnFocus);
            auto* label = new QLabel(QString::fromUtf8(f.label), this);
            label->setBuddy(edit);
            form->addWidget(label, row, 0);
            form->addWidget(edit, row++, 1);
            m_edits.push_back(edit);
            connect(edit, &QLineEdit::editingFinished, this, [this, &f, edit] { Commit(f, edit); });
        }
        connect(m_category, &QComboBox::activated, this, [this](int index) {
            ProjectionInputs in = projeto().projecao;
            in.contrast = kViewingCategories[index].contrast;
            Store(in);
        });

        m_summary = new QLabel(this);
        m_summary->setObjectName(QStringLiteral("lResumo"));
        m_summary->setWordWrap(true);
        m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

        auto* save = new QPushButton(QStringLiteral("Salvar"), this);
        save->setObjectName(QStringLiteral("bSalvar"));
        save->setToolTip(QString::fromUtf8("Salva esta página em PDF, PNG ou SVG, ou o corte em DXF"));
        connect(save, &QPushButton::clicked, this, [this] { Save(); });

        auto* left = new QVBoxLayout;
        left->addLayout(form);
        left->addWidget(m_summary);
        left->addStretch(1);
        left->addWidget(save, 0, Qt::AlignLeft);

        m_scroll = new QScrollArea(this);
        m_view = new PageView(m_scroll, "PaginaProjecao");
        m_scroll->setWidget(m_view);
        m_scroll->setWidgetResizable(false);
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->viewport()->installEventFilter(this);

        auto* layout = new QHBoxLayout(this);
        layout->addLayout(left);
        layout->addWidget(m_scroll, 1);

        ResizeWithinScreen(this, QSize(1100, 820));

        RegisterReportImages(m_images);
        Refresh();
    }

    ~Window() override {
        for (QLineEdit* edit : m_edits) {
            edit->disconnect(this);
        }
    }

    // The fields and the page from the record.
    void Refresh() {
        const ProjectionInputs& in = projeto().projecao;
        for (size_t i = 0; i < std::size(kFields); ++i) {
            const std::optional<double> v = Value(in, kFields[i]);
            m_edits[i]->setText(v ? FieldText(*v) : QString());
        }
        const ViewingCategory* c = CategoryOfContrast(in.contrast);
        m_category->setCurrentIndex(c ? static_cast<int>(c - kViewingCategories) : 0);
        Redraw();
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
    void Commit(const InputField& f, QLineEdit* edit) {
        if (m_refusing) {
            return;  // the box below takes the focus from the field: no second message
        }
        ProjectionInputs in = projeto().projecao;
        const QString text = edit->text().trimmed();
        const ProjectionInputLimit& limit = projectionInputLimit(f.limit);
        if (text.isEmpty()) {
            if (f.optional) {
                (in.*f.optional).reset();
            } else {
                in.*f.plain = ProjectionInputs{}.*f.plain;
            }
        } else {
            const std::optional<double> value = ProjectionNumberFromText(text.toStdString());
            if (!value || !WithinLimit(limit, *value)) {
                Refuse(f, edit, std::string(f.label) + ": digite um número " +
                                    LimitInWords(limit, ',') + ".");
                return;
            }
            if (f.optional) {
                in.*f.optional = *value;
            } else {
                in.*f.plain = *value;
            }
        }
        // Values that only make sense together (the throw ratios' range).
        if (const std::string why = CheckProjectionInputs(in); !why.empty()) {
            Refuse(f, edit, why + ".");
            return;
        }
        if (Value(in, f) != Value(projeto().projecao, f)) {
            Store(in);
        } else {
            const std::optional<double> v = Value(in, f);
            edit->setText(v ? FieldText(*v) : QString());
        }
    }

    void Refuse(const InputField& f, QLineEdit* edit, const std::string& why) {
        const std::optional<double> kept = Value(projeto().projecao, f);
        // The refused text goes before the message, so that nothing reads it again.
        edit->setText(kept ? FieldText(*kept) : QString());
        m_refusing = true;
        MsgStop(utf8ToWin1252(why), utf8ToWin1252("Valor não aceito"));
        m_refusing = false;
        edit->setFocus();
        edit->selectAll();
    }

    void Store(const ProjectionInputs& in) {
        projeto().projecao = in;
        Refresh();
    }

    void Redraw() {
        m_record = projeto();
        Calculo(m_record);
        const ProjectionFigures f =
            ComputeProjection(m_record, AnalyseSightlines(m_record), m_record.projecao);
        EmfPageCanvas pageFiles(ReferenceDevice::A4(), &m_images);
        PageCollector canvas(pageFiles);
        BuildProjectionPage(m_record, f, canvas, {}, 1, programValues().cAutoria);
        m_pages = canvas.TakePages();
        m_view->SetPages(m_pages);
        m_summary->setText(QString::fromUtf8(Summary(f)));
    }

    static std::string Summary(const ProjectionFigures& f) {
        std::string text;
        if (!f.images.empty() && f.images[0].lumens.value) {
            text += "Projetor: " + Lumens(*f.images[0].lumens.value) + " lm para a imagem de " +
                    Num(f.screenWidth, 2) + " x " + Num(f.screenHeight, 2) + " m.";
        } else {
            text += "Brilho: - (" + f.brightnessReason + ").";
        }
        if (f.throwFigures) {
            const ThrowFigures& t = *f.throwFigures;
            text += "\nFilas cuja cabeça corta o feixe: " + RowList(t.rowsInBeam, f.rowsReason) + ".";
            text += "\nFilas que veem o projetor: " + RowList(t.rowsSeeingProjector, f.rowsReason) +
                    ".";
            for (const std::string& w : t.warnings) {
                text += "\nAviso: " + w;
            }
        }
        if (f.led) {
            text += "\nLED: " + Num(f.led->pixelsAcross, 0) + " x " + Num(f.led->pixelsDown, 0) +
                    " pixels; filas mais perto que " + Num(f.led->acuityDistance, 2) +
                    " m: " + RowList(f.led->rowsCloser, f.led->rowsCloserReason) + ".";
        }
        return text;
    }

    void Save() {
        // The section and the plan for CAD, of the project as drawn.
        SaveWindowPages({m_pages, win1252ToUtf8(AllTrim(m_record.cProjeto)) + " - " + kTitle},
                        DxfSaveFormat(m_record, kDefaultTargetCmm, m_record.projecao));
    }

    NamedImageSource m_images;
    QComboBox* m_category = nullptr;
    std::vector<QLineEdit*> m_edits;  // in the order of kFields
    QLabel* m_summary = nullptr;
    bool m_refusing = false;
    QScrollArea* m_scroll = nullptr;
    PageView* m_view = nullptr;
    std::vector<std::vector<uint8_t>> m_pages;  // the EMF page shown
    DadosProjeto m_record;                      // as last drawn, calculated
};

OneWindow<Window>& TheWindow() {
    static OneWindow<Window> window;
    return window;
}

}  // namespace

void ShowProjectionWindow() {
    TheWindow().Show([] { return new Window(MainFormWidget()); });
}

void RefreshProjectionWindow() {
    if (Window* window = TheWindow().Open()) {
        window->Refresh();
    }
}

QWidget* ProjectionWindow() {
    return TheWindow().Open();
}

}  // namespace vm

#include "preview/preview_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <algorithm>

#include "ui/qt_text.h"
#include "ui/screen_fit.h"

namespace vm {

namespace {

template <class W>
W* Place(W* widget, const char* name, int row, int col, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(col, row, width, height);
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& text, int row, int col,
                  int width, int height) {
    auto* label = new QLabel(toQt(text), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);  // a caption wider than its label goes on in a second line
    return Place(label, name, row, col, width, height);
}

QSpinBox* MakeSpinner(QWidget* parent, const char* name, int row, int col, int width, int minimum,
                      int maximum, int value) {
    auto* spinner = new QSpinBox(parent);
    spinner->setRange(minimum, maximum);
    spinner->setValue(value);
    return Place(spinner, name, row, col, width, 24);
}

// "Ok" prints or goes and is the default button wherever the focus is; "Cancel" is never default,
// so Enter always means "Ok".
void MakeButtons(QDialog* dialog, const PrintJob& job, int okRow, int okCol, int cancelRow,
                 int cancelCol, int width, int height) {
    auto* ok = Place(new QPushButton(toQt(job.Message(PrintMessage::Ok)), dialog), "Ok", okRow,
                     okCol, width, height);
    auto* cancel = Place(new QPushButton(toQt(job.Message(PrintMessage::Cancel)), dialog), "Cancel",
                         cancelRow, cancelCol, width, height);
    ok->setAutoDefault(false);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

void FixDialog(QDialog* dialog, const std::string& title, int outerWidth, int outerHeight) {
    dialog->setWindowTitle(toQt(title));
    dialog->setFont(QFont(QStringLiteral("Arial"), 9));
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setFixedSize(ClientSizeForOuter(outerWidth, outerHeight, true));
    // Centred on the screen, not on the window that owns it.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect whole = screen->geometry();
        dialog->move(whole.x() + (whole.width() - outerWidth) / 2,
                     whole.y() + (whole.height() - outerHeight) / 2);
    }
    KeepWithinScreen(dialog);
}

}  // namespace

std::vector<int> PrintOrderFor(const PrintChoice& choice, int pageCount) {
    if (choice.allPages) {
        return PrintPageOrder(1, pageCount, pageCount, PageParity::All, choice.copies,
                              choice.collate);
    }
    return PrintPageOrder(choice.from, choice.to, pageCount, choice.parity, choice.copies,
                          choice.collate);
}

QSize ClientSizeForOuter(int outerWidth, int outerHeight, bool captionBar) {
    QStyle* style = QApplication::style();
    const int frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int caption = captionBar ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    return QSize(std::max(1, outerWidth - 2 * frame),
                 std::max(1, outerHeight - caption - 2 * frame));
}

PreviewPrintDialog::PreviewPrintDialog(const PrintJob& job, int pageCount, int copies, int collate,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PreviewPrint"));
    const int caption = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    FixDialog(this, job.Message(PrintMessage::Print), 420, 168 + caption);
    const int pages = std::max(1, pageCount);

    auto* frame = new QGroupBox(toQt(job.Message(PrintMessage::PrintRange)), this);
    Place(frame, "Frame_1", 5, 10, 275, 147);

    auto* radio = new QWidget(this);
    Place(radio, "Radio_1", 25, 20, 120, 53);
    m_all = Place(new QRadioButton(toQt(job.Message(PrintMessage::All)), radio), "Radio_1_1", 0, 0,
                  120, 25);
    m_range = Place(new QRadioButton(toQt(job.Message(PrintMessage::Pages)), radio), "Radio_1_2",
                    25, 0, 120, 25);
    auto* group = new QButtonGroup(radio);
    group->addButton(m_all, 1);
    group->addButton(m_range, 2);
    m_all->setChecked(true);

    m_fromLabel = MakeLabel(this, "Label_1", job.Message(PrintMessage::From) + ":", 84, 55, 50, 25);
    m_from = MakeSpinner(this, "Spinner_1", 81, 110, 50, 1, pages, 1);
    m_toLabel = MakeLabel(this, "Label_2", job.Message(PrintMessage::To) + ":", 84, 165, 35, 25);
    m_to = MakeSpinner(this, "Spinner_2", 81, 205, 50, 1, pages, pages);
    m_parityLabel =
        MakeLabel(this, "Label_4", job.Message(PrintMessage::Print) + ":", 115, 55, 50, 25);
    m_parity = Place(new QComboBox(this), "Combo_1", 113, 110, 145, 24);
    for (PrintMessage n :
         {PrintMessage::AllPages, PrintMessage::OddPages, PrintMessage::EvenPages}) {
        m_parity->addItem(toQt(job.Message(n)));
    }
    m_parity->setCurrentIndex(0);

    MakeButtons(this, job, 10, 300, 40, 300, 105, 25);
    // "Nº de Cópias:" takes two lines in its 45 pixels.
    MakeLabel(this, "Label_3", job.Message(PrintMessage::Copies) + ":", 103, 300, 45, 28);
    m_copies = MakeSpinner(this, "Spinner_3", 100, 355, 50, 1, 999, std::clamp(copies, 1, 999));
    m_collate = Place(new QCheckBox(toQt(job.Message(PrintMessage::Collate)), this), "CheckBox_1",
                      132, 300, 110, 24);
    m_collate->setChecked(collate == 1);

    connect(m_range, &QRadioButton::toggled, this, [this](bool on) {
        SetRangeEnabled(on);
        if (on) {
            m_from->setFocus(Qt::OtherFocusReason);
        }
    });
    connect(m_copies, &QSpinBox::valueChanged, this, [this] { CopiesChanged(); });
    PrepareToOpen();
}

void PreviewPrintDialog::PrepareToOpen() {
    m_all->setChecked(true);
    SetRangeEnabled(false);
    CopiesChanged();
    findChild<QPushButton*>(QStringLiteral("Ok"))->setFocus(Qt::OtherFocusReason);
}

void PreviewPrintDialog::SetRangeEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_fromLabel, m_from, m_toLabel, m_to,
                                                      m_parityLabel, m_parity}) {
        w->setEnabled(enabled);
    }
}

void PreviewPrintDialog::CopiesChanged() {
    m_collate->setEnabled(m_copies->value() > 1);
}

PrintChoice PreviewPrintDialog::Choice() const {
    PrintChoice choice;
    choice.allPages = !m_range->isChecked();
    choice.from = m_from->value();
    choice.to = m_to->value();
    switch (m_parity->currentIndex()) {
        case 1:
            choice.parity = PageParity::Odd;
            break;
        case 2:
            choice.parity = PageParity::Even;
            break;
        default:
            choice.parity = PageParity::All;
            break;
    }
    choice.copies = m_copies->value();
    choice.collate = m_collate->isChecked();
    return choice;
}

PreviewGoToDialog::PreviewGoToDialog(const PrintJob& job, int pageCount, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PreviewGoToPage"));
    const int caption = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    FixDialog(this, job.Message(PrintMessage::GoToPage), 195, 90 + caption);
    MakeLabel(this, "Label_1", job.Message(PrintMessage::PageNumber) + ":", 13, 10, 94, 25);
    m_page = MakeSpinner(this, "Spinner_1", 10, 105, 75, 1, std::max(1, pageCount), 1);
    MakeButtons(this, job, 48, 10, 48, 100, 80, 25);
}

void PreviewGoToDialog::PrepareToOpen(int currentPage) {
    m_page->setValue(currentPage);
    m_page->setFocus(Qt::OtherFocusReason);
    m_page->selectAll();
}

int PreviewGoToDialog::Page() const {
    return m_page->value();
}

}  // namespace vm

#pragma once
// The preview's two dialogs: printing (range, odd or even pages, copies, collation) and going to
// a page. The preview runs them through RunModalDialog (ui/dialogs.h); their controls carry the
// names below as objectName, so a test can find and drive them.
//
// Print dialog: "Frame_1", "Radio_1" (options "Radio_1_1" "Tudo" and "Radio_1_2" "Páginas"),
// "Label_1", "Spinner_1", "Label_2", "Spinner_2", "Label_4", "Combo_1", "Ok", "Cancel", "Label_3",
// "Spinner_3", "CheckBox_1". Go-to-page dialog: "Label_1", "Spinner_1", "Ok", "Cancel".
// Enter acts as "Ok" and Escape as "Cancel" in both.

#include <QDialog>
#include <vector>

#include "print/print_job.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace vm {

// What the print dialog was set to when "Ok" was pressed.
struct PrintChoice {
    bool allPages = true;  // "Tudo"; false: "Páginas" from..to
    int from = 1;
    int to = 1;
    PageParity parity = PageParity::All;  // applies to "Páginas" only
    int copies = 1;
    bool collate = false;  // "Ordenar Cópias"
};

// The page numbers to print, in order, for a job of `pageCount` pages (PrintPageOrder).
std::vector<int> PrintOrderFor(const PrintChoice& choice, int pageCount);

// The client size of a window of the given outer size: less the caption (when it has one) and two
// frames, counted with the style's metrics as the form layer counts them.
QSize ClientSizeForOuter(int outerWidth, int outerHeight, bool captionBar);

class PreviewPrintDialog final : public QDialog {
public:
    // Texts from the job's message table; the spinners run from 1 to `pageCount`, the copies start
    // at `copies` (at least 1) and "Ordenar Cópias" is ticked when `collate` is 1.
    PreviewPrintDialog(const PrintJob& job, int pageCount, int copies, int collate,
                       QWidget* parent = nullptr);

    // The state each opening starts from: "Tudo" chosen and the range controls disabled. The
    // spinners, the list, the copies and the check box keep what the user last set. "Ordenar
    // Cópias" is enabled only above one copy.
    void PrepareToOpen();

    PrintChoice Choice() const;

private:
    void SetRangeEnabled(bool enabled);
    void CopiesChanged();

    QRadioButton* m_all = nullptr;
    QRadioButton* m_range = nullptr;
    QLabel* m_fromLabel = nullptr;
    QSpinBox* m_from = nullptr;
    QLabel* m_toLabel = nullptr;
    QSpinBox* m_to = nullptr;
    QLabel* m_parityLabel = nullptr;
    QComboBox* m_parity = nullptr;
    QSpinBox* m_copies = nullptr;
    QCheckBox* m_collate = nullptr;
};

class PreviewGoToDialog final : public QDialog {
public:
    PreviewGoToDialog(const PrintJob& job, int pageCount, QWidget* parent = nullptr);

    // The spinner starts each opening at the page shown.
    void PrepareToOpen(int currentPage);
    int Page() const;

private:
    QSpinBox* m_page = nullptr;
};

}  // namespace vm

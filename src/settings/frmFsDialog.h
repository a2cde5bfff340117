// The factory-setting dialog: edits the factory settings of an instrument settings object in a
// grid, on a working copy, and on OK copies back only the settings that were changed, with
// their change flags, so that the next settings upload sends exactly those.
#pragma once

#include "FlexGrid.h"
#include "clsInstrument.h"

#include <QDialog>
#include <QPushButton>
#include <memory>
#include <optional>

namespace qv {

class frmFsDialog : public QDialog {
  public:
    // What column 1 of a row holds.
    enum RowKind : int { RowText = 0, RowCheck = 1, RowList = 2 };

    explicit frmFsDialog(QWidget* parent = nullptr);

    // The object to edit, set by the caller before showing; the dialog never replaces it. The
    // caller reads the outcome from this object once the dialog has closed.
    const std::shared_ptr<clsInstrument>& Instrument() const { return Instrument_; }
    void SetInstrument(std::shared_ptr<clsInstrument> instrument) {
        Instrument_ = std::move(instrument);
    }

    // Loads the dialog afresh from Instrument and shows it modally through the dialogs
    // service; returns the dialog's result code (Accepted after OK). Callers show it this way:
    // the grid is filled before the service is asked, which a scripted service needs.
    int ShowModal();

    void Form_Load();
    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    void vfgDatas_BeforeEdit(int Row, int Col, bool& Cancel);
    void vfgDatas_KeyPressEdit(int Row, int Col, int& KeyAscii);
    // A change of the dummy serial's editor text: what it brought in that could not have been
    // typed goes, with a beep; the characters the text held before stay, whatever they are.
    void vfgDatas_ChangeEdit(int Row, int Col);
    void vfgDatas_ValidateEdit(int Row, int Col, bool& Cancel);

    ui::FlexGrid* vfgDatas = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Every way of closing ends here; the next showing loads afresh.
    void done(int result) override;

  private:
    // Form_Activate with its failure reported; false when it failed.
    bool Activate();
    void FillSettingGrid();
    // The window at least as large as its texts need, and laid out.
    void FitToTexts();
    // The grid and the buttons placed in the window, the columns sized in the grid.
    void LayoutDialog();
    // What the grid's frame and scroll bar take of its width (pixels).
    int GridChrome() const;
    void SetGridRow(int Row, const QString& Caption, const QVariant& Value, int Kind,
                    const QString& List);
    // The interval's position in the row's list, which takes in an interval it lacks.
    static int16_t IntervalListIndex(int16_t Seconds, QString* List);
    int16_t GetRowValue(int Row) const;
    void ReadSettingGrid();
    // The whole number in column 1 of a row; nothing for an empty or unusable cell.
    std::optional<int16_t> CellNumber(int Row) const;
    // Copies Src into Dest through Dest's setters: everything, or (ChangedOnly) only what is
    // flagged in Src, raising the same flags in Dest.
    static void CopyInstrument(clsInstrument& Dest, const clsInstrument& Src, bool ChangedOnly);

    std::shared_ptr<clsInstrument> Instrument_;
    std::unique_ptr<clsInstrument> WorkInstrument;
    bool Activated = false;
    bool InValidate = false;
    // A change of the open serial editor lost characters: its next commit is refused once, so
    // that the editor stays open on what is left.
    bool SerialCut = false;
    // The width the widest caption needs (pixels).
    int captionWidth_ = 0;
};

}  // namespace qv

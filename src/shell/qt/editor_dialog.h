// "Korvat game editor" (dialog 1406) on the edited pile: every choice is
// written into the pile at once; OK deals the same deal again.
#pragma once

#include "shell/editor_dialog.h"
#include "shell/qt/template_dialog.h"

namespace korvat::qt {

class PileEditorDialog final : public TemplateDialog {
    Q_OBJECT
public:
    explicit PileEditorDialog(QWidget* owner);
    // Shows the dialog modally on the owner until it closes.
    static void run(QWidget* owner);
    // False when the dialog closed as it opened (no pile to edit).
    bool opened() const { return opened_; }

    void command(int id) override;
    void scroll(int id, ScrollRequest request, int thumb) override;

private:
    void dispatch(const DialogEvent& event);

    PileEditorControls controls_;
    bool opened_ = false;
};

}  // namespace korvat::qt

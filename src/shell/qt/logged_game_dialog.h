// "Select logged game" (dialog 1405): the scroll bar walks through this
// game's logged deals and deals each one shown; a description typed for a
// deal is kept in the game log. OK, Escape and its close button close it.
#pragma once

#include "shell/qt/template_dialog.h"
#include "shell/select_dialogs.h"

namespace korvat::qt {

class LoggedGameDialog final : public TemplateDialog {
    Q_OBJECT
public:
    explicit LoggedGameDialog(QWidget* owner);
    // Shows the dialog modally on the owner until it closes.
    static void run(QWidget* owner);
    // False when the dialog closed as it opened (nothing of this game is logged).
    bool opened() const { return opened_; }

    void command(int id) override;
    void scroll(int id, ScrollRequest request, int thumb) override;

private:
    void dispatch(const DialogEvent& event);

    LoggedGameControls controls_;
    bool opened_ = false;
};

}  // namespace korvat::qt

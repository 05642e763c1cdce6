// "Select Game" (dialog 1400): the deal number typed, or stepped with Up
// and Down, is dealt at once.
#pragma once

#include "shell/qt/template_dialog.h"
#include "shell/select_dialogs.h"

namespace korvat::qt {

class SelectGameDialog final : public TemplateDialog {
    Q_OBJECT
public:
    explicit SelectGameDialog(QWidget* owner);
    // Shows the dialog modally on the owner until it closes.
    static void run(QWidget* owner);

    void command(int id) override;
    void scroll(int id, ScrollRequest request, int thumb) override;

private:
    void dispatch(const DialogEvent& event);

    SelectGameControls controls_;
};

}  // namespace korvat::qt

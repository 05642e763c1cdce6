#include "shell/qt/logged_game_dialog.h"

namespace korvat::qt {

LoggedGameDialog::LoggedGameDialog(QWidget* owner) : TemplateDialog(loggedGameTemplate, owner) {
    // A close button, which closes it as OK does.
    setWindowFlags(windowFlags() | Qt::WindowCloseButtonHint);
    opened_ = true;
    dispatch(DialogEvent::opening());
}

void LoggedGameDialog::run(QWidget* owner) {
    LoggedGameDialog dialog(owner);
    if (dialog.opened()) dialog.exec();
}

void LoggedGameDialog::command(int id) { dispatch(DialogEvent::command(id)); }

void LoggedGameDialog::scroll(int id, ScrollRequest request, int thumb) {
    dispatch(DialogEvent::scroll(id, request, thumb));
}

void LoggedGameDialog::dispatch(const DialogEvent& event) {
    controls_.description = text(DialogId::Description);
    const DialogResult result = loggedGameDialog(controls_, event);
    setText(DialogId::LoggedNumber, controls_.number);
    setText(DialogId::Description, controls_.description);
    setText(DialogId::Completion, controls_.completion);
    setScrollBar(DialogId::LogScroll, controls_.scroll);
    if (result == DialogResult::Close) {
        opened_ = false;
        done(QDialog::Accepted);
    }
}

}  // namespace korvat::qt

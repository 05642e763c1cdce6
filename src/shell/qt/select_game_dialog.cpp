#include "shell/qt/select_game_dialog.h"

namespace korvat::qt {

SelectGameDialog::SelectGameDialog(QWidget* owner) : TemplateDialog(selectGameTemplate, owner) {
    dispatch(DialogEvent::opening());
}

void SelectGameDialog::run(QWidget* owner) {
    SelectGameDialog dialog(owner);
    dialog.exec();
}

void SelectGameDialog::command(int id) { dispatch(DialogEvent::command(id)); }

void SelectGameDialog::scroll(int id, ScrollRequest request, int thumb) {
    dispatch(DialogEvent::scroll(id, request, thumb));
}

void SelectGameDialog::dispatch(const DialogEvent& event) {
    controls_.number = text(DialogId::DealNumber);
    const DialogResult result = selectGameDialog(controls_, event);
    setText(DialogId::DealNumber, controls_.number);
    if (result == DialogResult::Close) done(QDialog::Accepted);
}

}  // namespace korvat::qt

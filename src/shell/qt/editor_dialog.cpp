#include "shell/qt/editor_dialog.h"

namespace korvat::qt {

PileEditorDialog::PileEditorDialog(QWidget* owner) : TemplateDialog(pileEditorTemplate, owner) {
    opened_ = true;
    dispatch(DialogEvent::opening());
}

void PileEditorDialog::run(QWidget* owner) {
    PileEditorDialog dialog(owner);
    // Modal on the main window only, so that the help window it opens can
    // be used while it stays open.
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.opened()) dialog.exec();
}

void PileEditorDialog::command(int id) { dispatch(DialogEvent::command(id)); }

void PileEditorDialog::scroll(int id, ScrollRequest request, int thumb) {
    dispatch(DialogEvent::scroll(id, request, thumb));
}

void PileEditorDialog::dispatch(const DialogEvent& event) {
    const DialogResult result = pileEditorDialog(controls_, event);
    setText(DialogId::DealCountBox, controls_.dealCount);
    setText(DialogId::FaceDownBox, controls_.faceDown);
    setText(DialogId::SizeLimitBox, controls_.sizeLimit);
    setScrollBar(DialogId::FaceDownScroll, controls_.faceDownBar);
    setScrollBar(DialogId::SizeLimitScroll, controls_.sizeLimitBar);
    for (int group = 0; group < EditorGroup::Count; ++group) checkRadio(group, controls_.checked[group]);
    if (result == DialogResult::Close) {
        opened_ = false;
        done(QDialog::Accepted);
    }
}

}  // namespace korvat::qt

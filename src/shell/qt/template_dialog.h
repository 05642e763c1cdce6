// A modal dialog built from a dialog template: every control at its place,
// dialog units turned into pixels from the dialog font's average character
// size. Subclasses pass the commands and scroll requests to their dialog
// procedure and show what it leaves in the controls.
#pragma once

#include <QDialog>
#include <QFont>
#include <map>
#include <string>

#include "shell/dialog_template.h"

class QButtonGroup;
class QKeyEvent;
class QStyle;

namespace korvat::qt {

// The desktop's stand-in for a face a dialog names (Liberation Serif for
// Times New Roman, DejaVu Sans for MS Sans Serif, DejaVu Sans Mono for
// Fixedsys), at the pixel size the point size has on a 96-dpi screen.
QFont dialogFont(const char* face, int pointSize);

class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    TemplateDialog(const DialogTemplate& dialog, QWidget* owner);

    // Pixels per four dialog units across and per eight down.
    QSize baseUnits() const { return base_; }
    QRect toPixels(int x, int y, int width, int height) const;
    // The control with that id (an icon by its resource number), or null.
    QWidget* control(int id) const;
    template <class T>
    T* controlAs(int id) const {
        return qobject_cast<T*>(control(id));
    }
    const DialogTemplate& dialogTemplate() const { return template_; }

    // The dialog's own commands: a button, a radio button, Enter (1) or Escape (2).
    virtual void command(int id) = 0;
    virtual void scroll(int id, ScrollRequest request, int thumb) = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Escape and a close from the window manager are the command 2.
    void reject() override;

    // The controls' contents, as the dialog procedures read and write them.
    // Text passes as Latin-1, the character set of the game log.
    std::string text(int id) const;
    void setText(int id, const std::string& text);
    void setScrollBar(int id, const ScrollBarState& state);
    // Checks `id` in a radio group, or no button of it when `id` is 0.
    void checkRadio(int group, int id);

private:
    void build();

    const DialogTemplate& template_;
    QSize base_;
    std::map<int, QWidget*> controls_;
    std::map<int, QButtonGroup*> groups_;
    QStyle* radioStyle_ = nullptr;
};

}  // namespace korvat::qt

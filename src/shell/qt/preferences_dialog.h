// The "Preferences" dialog (1401) on the desktop: built from the control
// table of shell/preferences_dialog.h, laid out in dialog units of its own
// font, with only an OK button, no close box, and Escape doing nothing.
#pragma once

#include <QDialog>
#include <map>

class QAbstractButton;
class QButtonGroup;

namespace korvat::qt {

class MainWindow;

class PreferencesDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(MainWindow* owner);

    // Shows the dialog modally on the main window until OK is pressed.
    static void run(MainWindow* owner);

    // The control with that id, or null.
    QAbstractButton* control(int id) const;
    // The pixels of a rectangle given in dialog units.
    QRect pixelRect(int x, int y, int width, int height) const;

public slots:
    void reject() override;  // Escape and the window manager's close do nothing

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void clicked(int id);
    void showMarks();

    MainWindow* owner_;
    int unitX_ = 1, unitY_ = 1;  // the font's average character width and height
    std::map<int, QAbstractButton*> controls_;
    std::map<int, QButtonGroup*> radioGroups_;  // by the id of each group's first button
    bool closing_ = false;
};

}  // namespace korvat::qt

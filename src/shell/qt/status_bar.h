// The status bar under the table: the solver's verdict on the table, the
// moves made and the time played in this deal. It also carries out Hint and
// Demo and shows the progress of the search for a winnable deal.
#pragma once

#include <QStatusBar>
#include <QTimer>

class QLabel;

namespace korvat::qt {

class MainWindow;

class SolverBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit SolverBar(MainWindow* window);
    ~SolverBar() override;

    // Hint: marks the next move of the winning line, or says why there is
    // none; while the verdict is still being found, waits for it.
    void hint();
    // Demo: plays the winning line one move at a time until the deal is
    // won, a mouse button is pressed or a key.
    void startDemo();
    void stopDemo();
    bool demoRunning() const { return demo_.isActive(); }
    // Where did it go wrong?: once the verdict has come, reviews the deal.
    void whereWrong();

    // The texts shown (tests).
    QString verdictText() const;
    QString movesText() const;
    QString timeText() const;

    // The pause between two moves of the demo, in milliseconds.
    int demoPause = 250;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void answerCame();
    // The search the table wants, once the event that changed it is over.
    void startQueuedSearch();
    void demoStep();

    MainWindow* window_;
    QLabel* verdict_;
    QLabel* moves_;
    QLabel* time_;
    QTimer poll_;
    QTimer demo_;
    bool hintWanted_ = false;
    bool reviewWanted_ = false;
    bool searchQueued_ = false;
    // Searches wait for the first table on the screen, so as not to slow it.
    bool tableOnScreen_ = false;
    bool swallowKey_ = false;  // the key that stopped the demo
};

}  // namespace korvat::qt

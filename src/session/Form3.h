#pragma once

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include "session/ConnectionWindowLogic.h"
#include "ui/AppContext.h"

namespace corvane::session {

// "Connecting to FS Multiplayer Session": the user picks a connection type, searches, picks a
// session and a callsign, and joins; the simulator's host must then accept the station. The
// window only maps its controls to ConnectionWindowLogic.
class Form3 : public QMainWindow {
    Q_OBJECT
  public:
    explicit Form3(ui::AppContext& context);

    ConnectionWindowLogic& Logic() { return logic_; }

  public slots:
    // Timer1, every 1000 ms while a join waits for the host.
    void Timer1_Timer();

  protected:
    // The close box.
    void closeEvent(QCloseEvent* event) override;

  private:
    void List1_Click(int row);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // The user's selections and callsign into the logic's state, and its state back on screen.
    void ReadControls();
    void ShowState();
    void Follow(ConnectionNext next);

    ui::AppContext& context_;
    ConnectionWindowLogic logic_;
    bool leaving_ = false;

    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QListWidget* List1;
    QPushButton* Command1;
    QListWidget* List2;
    QLineEdit* Text2;
    QPushButton* Command2;
    QPushButton* Command3;
    QLabel* Label6;
    QTimer* Timer1;
    QAction* abot1;
};

}  // namespace corvane::session

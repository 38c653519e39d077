#pragma once

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "station/StationMonitor.h"
#include "ui/AppContext.h"
#include "ui/Lamp.h"

namespace corvane::station {

// "ATC Station Window": Start and Stop the traffic monitor, close the station. The window only
// maps its controls to StationMonitor; closing the station, by any means, ends the program.
class Form4 : public QWidget {
    Q_OBJECT
  public:
    explicit Form4(ui::AppContext& context);

    StationMonitor& Monitor() { return monitor_; }

  public slots:
    // Player_Timer, every 1000 ms while monitoring.
    void Player_Timer_Timer();

  protected:
    // The close box.
    void closeEvent(QCloseEvent* event) override;

  private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // The monitor's state on screen. The timer is started only when `mayStartTimer`: in the
    // middle of a call the monitor may only stop it.
    void ShowState(bool mayStartTimer = true);
    void Follow(StationNext next);

    ui::AppContext& context_;
    StationMonitor monitor_;
    bool leaving_ = false;

    QLabel* Label1;
    ui::Lamp* Shape1;
    ui::Lamp* Shape2;
    ui::Lamp* Shape3;
    QPushButton* Command2;
    QPushButton* Command1;
    QPushButton* Command3;
    QTimer* Player_Timer;
};

}  // namespace corvane::station

#pragma once

#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>
#include <QTimer>

#include "scenery/SettingsWindowLogic.h"
#include "ui/AppContext.h"

namespace corvane::scenery {

// "Settings": loads the airport database (or builds it from the simulator's scenery on the first
// run, one BGL file per Scan_Bgl tick), lets the user pick the airport and reads the mountains
// around it, then hands over to the connection window.
class Form2 : public QMainWindow, private SettingsView {
    Q_OBJECT
  public:
    explicit Form2(ui::AppContext& context);

    const SettingsWindowLogic& Logic() const { return logic_; }
    // The list line "Next" would act on: the selected line while the edit text still shows it,
    // else -1.
    int SelectedListIndex() const;

  public slots:
    void Read_World_Airports_Timer();
    void Scan_Bgl_Timer();
    void Read_All_Mountains_Timer();

  private:
    // The one place that enables and disables Combo1, Next and Exit, from the status word.
    void Label2_Change();
    void Command1_Click();
    void Command2_Click();
    // What the window does after a step of the first-run build.
    void FollowBuild(SettingsWindowLogic::BuildOutcome outcome);

    void SetStatus(const std::string& label2) override;
    void SetActivity(const std::string& text1) override;
    void ResetProgress() override;
    void SetProgress(int32_t value, int32_t maximum) override;
    void FillAirportList(const std::vector<std::string>& lines) override;

    ui::AppContext& context_;
    SettingsWindowLogic logic_;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* Text1;
    QProgressBar* ProgressBar1;
    QGroupBox* Frame1;
    QComboBox* Combo1;
    QPushButton* Command1;
    QPushButton* Command2;
    QAction* abot1;
    QTimer* Read_World_Airports;
    QTimer* Scan_Bgl;
    QTimer* Read_All_Mountains;
    QStringListModel* airportLines_;
    QCompleter* airportCompleter_;
};

}  // namespace corvane::scenery

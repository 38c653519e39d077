#pragma once

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>

#include <vector>

#include "scenery/Volumes.h"
#include "shell/FolderList.h"
#include "ui/AppContext.h"

namespace corvane::shell {

// "Creating Configuration File": the user points at the simulator's main folder.
class Form7 : public QMainWindow {
    Q_OBJECT
  public:
    // `volumes` fills the drive list; by default the mounted volumes of this machine.
    explicit Form7(ui::AppContext& context,
                   std::vector<scenery::Volume> volumes = scenery::ListVolumes());

    // The volumes offered in Drive1, in its order.
    const std::vector<scenery::Volume>& Volumes() const { return volumes_; }
    const FolderList& Folders() const { return folders_; }

  private:
    void Drive1_Change(int index);
    void Dir1_Activated(QListWidgetItem* item);
    void FillDir1();
    void Command1_Click();

    ui::AppContext& context_;
    std::vector<scenery::Volume> volumes_;
    FolderList folders_;
    QGroupBox* Frame1;
    QComboBox* Drive1;
    QListWidget* Dir1;
    QLineEdit* Text1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Command1;
    QAction* abot1;
};

}  // namespace corvane::shell

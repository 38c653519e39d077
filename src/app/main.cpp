// Corvane: the data files live in the current working directory.
#include <QApplication>

#include <filesystem>

#include "ui/Application.h"
#include "ui/QtMessageBoxes.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    corvane::ui::QtMessageBoxes boxes;
    corvane::ui::Application app(std::filesystem::current_path(), boxes);
    app.Start();
    if (app.Ended()) {
        return 0;
    }
    return qt.exec();
}

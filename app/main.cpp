// Quintora2: the program's entry.

#include <QApplication>

#include "app/pages/program.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return app::RunQuintora2(application);
}

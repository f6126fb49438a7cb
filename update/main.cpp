#include "frmupdate.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    frmUpdate form(Seams::system());
    form.show();
    return app.exec();
}

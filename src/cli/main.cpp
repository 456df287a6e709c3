// zelvora-cerca: the locality and street lookup of Zelvora without windows.
#include "cli/command.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return zelvora::cli::run(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath());
}

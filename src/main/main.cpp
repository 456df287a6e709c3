#include "main/startup.h"

int main(int argc, char **argv)
{
    return zelvora::runApplication(argc, argv);
}

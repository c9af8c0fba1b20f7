#include "app/harbrowapp.h"

int main(int argc, char *argv[])
{
    HarbrowApp app(argc, argv);
    app.InitInstance();
    return app.exitCode();
}

#include "app/commandline.h"
#include "app/harbrowapp.h"

int main(int argc, char *argv[])
{
    if (const auto exitCode = CommandLine::answer(argc, argv))
        return *exitCode;
    HarbrowApp app(argc, argv);
    app.InitInstance();
    return app.exitCode();
}

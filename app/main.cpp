#include "app/commandline.h"
#include "app/harbrowapp.h"
#include "browser/harbrowscheme.h"

int main(int argc, char *argv[])
{
    const CommandLine::Request request = CommandLine::read(argc, argv);
    if (request.exitCode)
        return *request.exitCode;

    // The web engine wants both settled before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    HarbrowScheme::registerScheme();

    return HarbrowApp::run(argc, argv, [&request](HarbrowApp &app) {
        app.setStartAddresses(request.addresses);
    });
}

// main.cpp — the program's start: the GL library and the floating-point mask, the application, the main window and the event loop.
#include <QApplication>

#include <string>
#include <vector>

#include "app/gl_loader.h"
#include "app/main_window.h"
#include "app/prompter.h"

int main(int argc, char* argv[]) {
    // The floating-point mask and the GL library come before any window.
    korvel::InitGLModule();
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("korvel"));
        QApplication::setDesktopFileName(QStringLiteral("korvel"));
        // Documents opened from the file manager arrive as paths on the command line, taken as the bytes
        // the system gave: arguments() decodes them as UTF-8 and loses a name that is not.
        std::vector<std::string> paths;
        for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);
        korvel::QtPrompter prompter;
        korvel::TForm1 window(prompter, paths);
        window.show();
        result = QApplication::exec();
    }
    korvel::ShutdownGLModule();
    return result;
}

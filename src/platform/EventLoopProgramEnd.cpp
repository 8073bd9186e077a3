#include "EventLoopProgramEnd.h"

#include <QCoreApplication>
#include <QTimer>

void EventLoopProgramEnd::endProgram()
{
    QCoreApplication::exit(0);
    // The main loop may not run yet (an end during start-up): end it as soon as it does.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
}

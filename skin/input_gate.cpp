#include "skin/input_gate.h"

#include <QCoreApplication>
#include <QEvent>

namespace tunecrest {

TuserInputGate::TuserInputGate(const std::vector<QPointer<QWidget>>& liveControls) : Flive(liveControls)
{
    QCoreApplication::instance()->installEventFilter(this);
}

TuserInputGate::~TuserInputGate() { QCoreApplication::instance()->removeEventFilter(this); }

bool TuserInputGate::IsUserInput(const QEvent& event)
{
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::ContextMenu:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove: return true;
        default: return false;
    }
}

bool TuserInputGate::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(*event)) return false;
    // Windows hand their input on to widgets; the decision is taken there.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    for (const auto& live : Flive)
        if (live && (live == widget || live->isAncestorOf(widget))) return false;
    ++Fdropped;
    return true;
}

void ProcessEventsWithoutUserInput(const std::vector<QPointer<QWidget>>& liveControls)
{
    TuserInputGate gate(liveControls);
    QCoreApplication::processEvents();
}

}  // namespace tunecrest

#pragma once
// Keeps a person's input away from the interface while a long operation on the main
// thread pumps events to repaint its progress: mouse, touch, wheel and key events are
// dropped unless they are meant for one of the controls that stay live (a Stop button),
// so nobody acts on lists that are half built. The gate holds only while it exists.
#include <vector>

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tunecrest {

class TuserInputGate : public QObject {
public:
    explicit TuserInputGate(const std::vector<QPointer<QWidget>>& liveControls);
    ~TuserInputGate() override;
    TuserInputGate(const TuserInputGate&) = delete;
    TuserInputGate& operator=(const TuserInputGate&) = delete;

    int Dropped() const { return Fdropped; }
    static bool IsUserInput(const QEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> Flive;
    int Fdropped = 0;
};

// Processes pending events with user input held back as above.
void ProcessEventsWithoutUserInput(const std::vector<QPointer<QWidget>>& liveControls);

}  // namespace tunecrest

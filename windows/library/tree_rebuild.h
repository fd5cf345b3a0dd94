#pragma once
// One tree rebuild of a library window, reported through the progress window. The
// progress window repaints between steps by pumping events with a person's input held
// back (only its live controls, such as a Stop button, take input), so nobody touches a
// half-built tree or edits a list behind it. A rebuild asked for meanwhile (a library
// change arriving through the event queue) is never run inside the one under way, where
// it would free the nodes being built: it runs once, after it.
#include <functional>
#include <memory>
#include <string>

namespace tunecrest {

class TfrmAbout2;

class TtreeRebuild {
  public:
    TtreeRebuild();
    ~TtreeRebuild();
    TtreeRebuild(const TtreeRebuild&) = delete;
    TtreeRebuild& operator=(const TtreeRebuild&) = delete;

    // Runs `build` between the progress window's begin ("`text`") and end. Inside a
    // running rebuild it only marks a further one as wanted and answers false.
    bool Run(TfrmAbout2* progress, const std::string& text, const std::function<void()>& build);
    // The builder's progress: status text "`text` : `comment`", then position and maximum.
    void Progress(int index, int count, const std::string& comment);
    bool Busy() const { return Fbusy; }
    // Completed builds (a deferred request counts once it has run).
    int Builds() const { return Fbuilds; }

  private:
    bool Fbusy = false;
    bool Fagain = false;
    int Fbuilds = 0;
    TfrmAbout2* Fprogress = nullptr;
    std::string Ftext;
};

}  // namespace tunecrest

#pragma once
// The help link: opens the program's HTML help with the desktop's viewer. The opening
// goes through a swappable opener, so tests see what would be opened and nothing starts.
// While hooked, a context-help request anywhere in the program opens the help too.
#include <memory>
#include <string>

#include <QObject>

namespace tunecrest {

class ThelpOpener {
public:
    virtual ~ThelpOpener() = default;
    // Opens `fileName` in the desktop's viewer; false when it cannot be handed over.
    virtual bool Open(const std::string& fileName);
};

ThelpOpener& HelpOpener();
// Installs an opener; nullptr restores the desktop one. Returns the previous one.
std::shared_ptr<ThelpOpener> SetHelpOpener(std::shared_ptr<ThelpOpener> opener);

class TmyHH : public QObject {
public:
    explicit TmyHH(QObject* owner = nullptr);
    ~TmyHH() override;

    const std::string& FileName() const { return FfileName; }
    void SetFileName(const std::string& fileName) { FfileName = fileName; }
    // Takes the program's context-help requests when the help file exists; a missing
    // file leaves them alone and says nothing.
    void HookHelp();
    void UnhookHelp();
    bool Hooked() const { return Fhooked; }
    // Opens the help file; a missing file or a failed hand-over is told through the
    // prompt and answers false.
    bool ShowHelp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string FfileName;
    bool Fhooked = false;
};

}  // namespace tunecrest

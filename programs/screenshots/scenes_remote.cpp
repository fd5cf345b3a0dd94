// Scenes of the remote-control windows: the command editors, the action and action-list
// editors, the pickers, the launcher editors and the action button pad.
#include <QCoreApplication>
#include <QDialog>
#include <QListWidget>
#include <QTreeWidget>

#include "core/jukebox/global_prefs.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/program_launcher.h"
#include "scene_keyboard_skin.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "skin/modal_runner.h"
#include "skin/skin_forms.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

namespace {

// A modal runner that photographs the dialog instead of running it (after `prepare`,
// which may select rows), and answers Cancel.
class TgrabRunner : public TmodalRunner {
  public:
    explicit TgrabRunner(std::function<void(QDialog&)> prepare = {}) : Fprepare(std::move(prepare)) {}
    int Run(QDialog& dialog) override {
        if (!Image.isNull()) return mrCancel;  // only the first dialog is the scene's
        dialog.setAttribute(Qt::WA_DontShowOnScreen, true);
        dialog.show();
        QCoreApplication::processEvents();
        if (Fprepare) Fprepare(dialog);
        QCoreApplication::processEvents();
        Image = dialog.grab().toImage();
        dialog.hide();
        return mrCancel;
    }
    QImage Image;

  private:
    std::function<void(QDialog&)> Fprepare;
};

QImage Shoot(const std::function<void()>& open, std::function<void(QDialog&)> prepare = {}) {
    auto runner = std::make_shared<TgrabRunner>(std::move(prepare));
    TmodalRunnerScope scope(runner);
    open();
    return runner->Image;
}

// A bar's remote-control set-up: actions for lights, music and the projector, and the
// generated actions of three control groups.
struct TsampleRemote {
    Tcontroller Hub;
    TcontrollerAction* Lights;
    TcontrollerAction* Projector;

    TsampleRemote() {
        TcontrollerActionList& list = Hub.ActionList();
        Lights = list.AddNew();
        Lights->SetName("Lights Up");
        Lights->SetDescription("stage lights to full");
        Lights->SetGroup("Stage");
        auto* key = Lights->Commands().AddNew<TsendKeyCommand>();
        key->WindowTitle = "Light Desk";
        key->KeyCode = 0x70;
        key->VirtualKey = true;
        key->Ctrl = true;
        Lights->Commands().AddNew<TwaitCommand>()->Seconds = 2;
        auto* click = Lights->Commands().AddNew<TmouseCommand>();
        click->WindowTitle = "Light Desk";
        click->WindowClass = "desk";
        click->LeftButton = true;
        click->X = 120;
        click->Y = 48;
        Lights->Commands().AddNew<TactionCommand>()->ActionName = "Music Loud";
        TcontrollerAction* music = list.AddNew();
        music->SetName("Music Loud");
        music->SetGroup("Sound");
        auto* message = music->Commands().AddNew<TsendMessageCommand>();
        message->WindowClass = "amplifier";
        message->MessageID = 1024;
        message->WParam = 7;
        Projector = list.AddNew();
        Projector->SetName("Projector On");
        Projector->SetGroup("Stage");
        auto* exec = Projector->Commands().AddNew<TappExecCommand>();
        exec->FileName = "/usr/local/bin/projector";
        exec->Parameters = "--on --input hdmi1";
        list.AddNew()->SetName("Closing Time");
        Hub.GroupList().Add("Bar");
        Hub.GroupList().Add("Lounge");
        Hub.GroupList().Add("Karaoke");
    }
};

void SelectTreeNode(QDialog& d, const char* tree, const char* text) {
    if (auto* view = d.findChild<QTreeWidget*>(tree)) {
        const auto items = view->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        if (!items.isEmpty()) view->setCurrentItem(items.first());
    }
}

QImage PadScene(const TsceneContext& ctx) {
    UseKeyboardSkin(ctx);
    TsampleRemote remote;
    TactionButtonPad pad(&remote.Hub.ActionList());
    pad.SetNames({"Lights Up", "Music Loud", "Projector On", "Activate Group 'Bar'",
                  "Activate Group 'Lounge'", "Activate Group 'Karaoke'", "Closing Time", "Gone Away"});
    TfrmActionButtonPad form;
    form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.resize(500, 260);
    form.SetActionList(&pad);
    form.ShowPad();
    QCoreApplication::processEvents();
    QImage image = form.grab().toImage();
    form.hide();
    return image;
}

QImage EditorScene(const std::function<QImage(TsampleRemote&)>& shoot) {
    TsampleRemote remote;
    return shoot(remote);
}

void Register(const char* name, const char* title, std::function<QImage(TsampleRemote&)> shoot) {
    RegisterScene({"remote", name, title, [shoot](const TsceneContext&) { return EditorScene(shoot); }});
}

struct TremoteScenes {
    TremoteScenes() {
        RegisterScene({"remote", "pad", "Action button pad (one name no longer finds its action)", PadScene});
        Register("actions", "Action list editor", [](TsampleRemote& r) {
            return Shoot([&] { EditActions(r.Hub.ActionList()); },
                         [](QDialog& d) { SelectTreeNode(d, "tvActions", "Lights Up"); });
        });
        Register("action", "Action editor", [](TsampleRemote& r) {
            return Shoot([&] { EditAction(*r.Lights); },
                         [](QDialog& d) { d.findChild<QListWidget*>("lbCommands")->setCurrentRow(2); });
        });
        Register("choosekind", "Command kind picker", [](TsampleRemote&) {
            std::string kind;
            return Shoot([&] { ChooseCommandType(kind); },
                         [](QDialog& d) { d.findChild<QListWidget*>("lbTypes")->setCurrentRow(1); });
        });
        Register("selectaction", "Action picker (generated actions in red)", [](TsampleRemote& r) {
            return Shoot([&] {
                SelectAction(r.Hub.ActionList(), r.Hub.ActionList().FindByName("Activate Group 'Lounge'"));
            });
        });
        Register("key", "Send key editor", [](TsampleRemote& r) {
            return Shoot([&] { EditCommand(*r.Lights->Commands().Items(0)); });
        });
        Register("wait", "Wait editor", [](TsampleRemote& r) {
            return Shoot([&] { EditCommand(*r.Lights->Commands().Items(1)); });
        });
        Register("mouse", "Mouse command editor", [](TsampleRemote& r) {
            return Shoot([&] { EditCommand(*r.Lights->Commands().Items(2)); });
        });
        Register("actioncommand", "Action command editor", [](TsampleRemote& r) {
            return Shoot([&] { EditCommand(*r.Lights->Commands().Items(3)); });
        });
        Register("message", "Send message editor", [](TsampleRemote& r) {
            return Shoot(
                [&] { EditCommand(*r.Hub.ActionList().FindByName("Music Loud")->Commands().Items(0)); });
        });
        Register("exec", "Application launch editor", [](TsampleRemote& r) {
            return Shoot([&] { EditCommand(*r.Projector->Commands().Items(0)); });
        });
        Register("group", "Activate group editor", [](TsampleRemote& r) {
            TcontrollerAction* generated = r.Hub.ActionList().FindByName("Activate Group 'Lounge'");
            return Shoot([&] { EditCommand(*generated->Commands().Items(0)); });
        });
        Register("padlist", "Action button pad's list editor", [](TsampleRemote& r) {
            TactionButtonPad pad(&r.Hub.ActionList());
            pad.SetNames({"Lights Up", "Activate Group 'Bar'", "Gone Away", "Music Loud"});
            return Shoot([&] { EditActionList(pad); });
        });
        Register("launchers", "Programs started with the jukebox", [](TsampleRemote&) {
            TappLauncherList list;
            list.Add()->SetText("/usr/local/bin/projector|--on||1|1");
            list.Add()->SetText("/usr/bin/light-desk|--scene opening|/srv/lights|1|0");
            list.Add()->SetText("/home/bar/welcome.mp4||||0");
            return Shoot([&] { EditAppLauncherList(list, "\"Launch on Open\" Setup"); });
        });
        Register("launcher", "One program to launch", [](TsampleRemote&) {
            TappLauncher launcher;
            launcher.SetText("/usr/local/bin/projector|--on --input hdmi1||1|1");
            return Shoot([&] { EditAppLauncher(launcher); });
        });
    }
};
TremoteScenes remoteScenes;

}  // namespace

}  // namespace tunecrest

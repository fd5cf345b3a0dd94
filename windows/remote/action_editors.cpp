// The action editor and the action-list editor. Both work on copies: the action editor on
// a copy of one action, the list editor on a copy of the whole list, so that Cancel leaves
// the controller's actions (and controlactions.ini) as they were.
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "remote/controller_commands.h"
#include "skin/modal_runner.h"
#include "windows/remote/editor_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

namespace {

// What an action holds, as one comparable text: description, group and every command.
std::string ActionContent(const TcontrollerAction& action) {
    std::string text = action.Description() + '\n' + action.Group() + '\n';
    for (int i = 0; i < action.Commands().Count(); ++i) {
        const TcustomControllerCommand* command = action.Commands().Items(i);
        text += typeid(*command).name();
        text += command->GetParamText() + '\n';
    }
    return text;
}

// The user's actions of a list in their stored form.
std::string UserActionsText(const TcontrollerActionList& list) {
    TiniFile ini;
    list.SaveToIni(ini);
    return ini.GetText();
}

// Keeps only blanks, digits and ASCII letters, then trims.
std::string CleanActionName(const std::string& text) {
    std::string kept;
    for (const char c : text)
        if (c == ' ' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) kept += c;
    return Trim(kept);
}

}  // namespace

bool EditAction(TcontrollerAction& action) {
    if (action.ReadOnly) return action.Edit();  // tells the user it cannot be edited
    const TcontrollerActionPtr copy = CloneAction(action);
    copy->SetLookupList(action.LookupList());

    TeditorForm form("frmEditAction", "Edit Action");
    auto* fields = new QFormLayout();
    auto* edDescription = new QLineEdit(Q(action.Description()), &form);
    edDescription->setObjectName("edDescription");
    auto* edGroup = new QLineEdit(Q(action.Group()), &form);
    edGroup->setObjectName("edGroup");
    for (QLineEdit* e : {edDescription, edGroup}) e->setMinimumHeight(36);
    fields->addRow("Description:", edDescription);
    fields->addRow("Group:", edGroup);
    form.Body()->addLayout(fields);

    auto* middle = new QHBoxLayout();
    auto* lbCommands = new QListWidget(&form);
    lbCommands->setObjectName("lbCommands");
    lbCommands->setStyleSheet("QListView::item { min-height: 47px; }");
    lbCommands->setMinimumSize(420, 280);
    middle->addWidget(lbCommands, 1);
    auto* side = new QVBoxLayout();
    QPushButton* btnCommandAdd = form.AddButton(side, "btnCommandAdd", "&Add");
    QPushButton* btnCommandEdit = form.AddButton(side, "btnCommandEdit", "&Edit");
    QPushButton* btnCommandDelete = form.AddButton(side, "btnCommandDelete", "&Delete");
    QPushButton* btnMoveUp = form.AddButton(side, "btnMoveUp", "Move &Up");
    QPushButton* btnMoveDown = form.AddButton(side, "btnMoveDown", "Move Do&wn");
    QPushButton* Button2 = form.AddButton(side, "Button2", "Delete A&ll");
    side->addStretch(1);
    middle->addLayout(side);
    form.Body()->addLayout(middle, 1);
    auto* tests = new QHBoxLayout();
    QPushButton* btnTestCommand = form.AddButton(tests, "btnTestCommand", "Test &Command");
    QPushButton* btnTestAction = form.AddButton(tests, "btnTestAction", "&Test Action");
    tests->addStretch(1);
    form.Body()->addLayout(tests);
    form.AddOkCancel("Button1", "&OK");

    TcontrollerCommandList& commands = copy->Commands();
    const auto refresh = [&](int select) {
        std::vector<std::string> lines;
        commands.FillList(lines);
        lbCommands->clear();
        for (const std::string& line : lines) lbCommands->addItem(Q(line));
        if (select >= lbCommands->count()) select = lbCommands->count() - 1;
        if (select >= 0) lbCommands->setCurrentRow(select);
    };
    const auto selected = [&] { return lbCommands->currentRow(); };
    refresh(0);

    QObject::connect(btnCommandAdd, &QPushButton::clicked, &form, [&] {
        std::string kind;
        if (!ChooseCommandType(kind)) return;
        if (auto command = CreateCommandOfKind(kind)) {
            commands.Add(std::move(command));
            refresh(commands.Count() - 1);
        }
    });
    QObject::connect(btnCommandEdit, &QPushButton::clicked, &form, [&] {
        if (TcustomControllerCommand* command = commands.Items(selected())) {
            EditCommand(*command);
            refresh(selected());
        }
    });
    WireRowButtons(&form, btnCommandDelete, btnMoveUp, btnMoveDown, commands, selected, refresh,
                   [&commands](int row) { commands.Delete(row); });
    QObject::connect(Button2, &QPushButton::clicked, &form, [&] {
        if (!Prompt().AskYesNo("Are you sure you want to delete ALL commands for this action?",
                               "Confirm Delete All", false))
            return;
        commands.Clear();
        refresh(-1);
    });
    QObject::connect(btnTestCommand, &QPushButton::clicked, &form, [&] {
        if (TcustomControllerCommand* command = commands.Items(selected())) command->Execute();
    });
    QObject::connect(btnTestAction, &QPushButton::clicked, &form, [&] {
        if (TcontrollerActionList* list = copy->LookupList())
            list->Run(copy.get());
        else
            copy->Execute();
    });

    form.resize(640, 520);
    if (!IsOk(RunModal(form))) return false;
    copy->SetDescription(S(edDescription->text()));
    copy->SetGroup(S(edGroup->text()));
    if (ActionContent(*copy) == ActionContent(action)) return true;
    action.BeginUpdate();
    action.SetDescription(copy->Description());
    action.SetGroup(copy->Group());
    action.Commands().BeginUpdate();
    while (action.Commands().Count() > 0) action.Commands().Delete(action.Commands().Count() - 1);
    for (int i = 0; i < commands.Count(); ++i)
        if (auto clone = commands.Items(i)->Clone()) action.Commands().Add(std::move(clone));
    action.Commands().EndUpdate();
    action.EndUpdate();
    return true;
}

bool EditActions(TcontrollerActionList& list) {
    TeditorForm form("frmEditActions", "Edit Actions");
    QTreeWidget* tvActions = MakeActionTree(form, "tvActions");
    auto* row = new QHBoxLayout();
    QPushButton* btnActionAdd = form.AddButton(row, "btnActionAdd", "&Add");
    QPushButton* btnActionEdit = form.AddButton(row, "btnActionEdit", "&Edit");
    QPushButton* btnActionDelete = form.AddButton(row, "btnActionDelete", "&Delete");
    QPushButton* btnRename = form.AddButton(row, "btnRename", "&Rename");
    QPushButton* Button1 = form.AddButton(row, "Button1", "Delete A&ll");
    form.Body()->addLayout(row);
    form.AddOkCancel();

    // The working copy: every action, the generated ones too (Action commands may name
    // them), looked up and sorted as the list does.
    auto work = std::make_unique<TcontrollerActionList>();
    work->SetGroupList(list.GroupList());
    work->BeginUpdate();
    work->SetSorted(list.Sorted());
    for (int i = 0; i < list.Count(); ++i) work->Add(CloneAction(*list.Items(i)));
    work->EndUpdate();
    const std::string before = UserActionsText(*work);

    const auto refresh = [&](const TcontrollerAction* select) {
        FillActionTree(tvActions, *work, false);
        SelectActionNode(tvActions, select);
    };
    const auto selected = [&] { return ActionOfTreeNode(tvActions->currentItem()); };
    work->OnChange = [&](TObject*) { refresh(selected()); };
    refresh(nullptr);

    QObject::connect(btnActionAdd, &QPushButton::clicked, &form, [&] {
        work->BeginUpdate();
        const std::string name = work->GetNewActionName();
        TcontrollerAction* added = work->AddNew();
        added->SetName(name);
        work->EndUpdate();
        refresh(added);
    });
    QObject::connect(btnActionEdit, &QPushButton::clicked, &form, [&] {
        if (TcontrollerAction* action = selected()) {
            EditAction(*action);
            refresh(action);
        }
    });
    QObject::connect(btnActionDelete, &QPushButton::clicked, &form, [&] {
        if (TcontrollerAction* action = selected()) work->Remove(action);
    });
    QObject::connect(btnRename, &QPushButton::clicked, &form, [&] {
        TcontrollerAction* action = selected();
        if (!action) return;
        const auto answer = Prompt().AskText("Rename Action", "Enter a unique name:", action->Name());
        if (!answer) return;
        const std::string name = CleanActionName(*answer);
        if (!name.empty() && !work->Exists(name)) {
            action->SetName(name);
            refresh(action);
        } else if (name != action->Name()) {
            Prompt().ShowMessage("The Action Name cannot be empty or the same as another action", "Error");
        }
    });
    QObject::connect(Button1, &QPushButton::clicked, &form, [&] {
        if (!Prompt().AskYesNo("Are you sure you want to delete ALL actions?", "Confirm Delete All", false))
            return;
        // Only the user's actions: the generated group actions belong to the control
        // groups and come back only when those change.
        work->BeginUpdate();
        for (int i = work->Count() - 1; i >= 0; --i)
            if (!work->Items(i)->ReadOnly) work->Delete(i);
        work->EndUpdate();
    });

    form.resize(560, 560);
    const bool ok = IsOk(RunModal(form));
    work->OnChange = nullptr;
    if (!ok) return false;
    if (UserActionsText(*work) == before) return true;
    list.BeginUpdate();
    for (int i = list.Count() - 1; i >= 0; --i)
        if (!list.Items(i)->ReadOnly) list.Delete(i);
    for (int i = 0; i < work->Count(); ++i)
        if (!work->Items(i)->ReadOnly) list.Add(CloneAction(*work->Items(i)));
    list.EndUpdate();
    return true;
}

}  // namespace tunecrest

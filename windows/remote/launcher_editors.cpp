// The editors of the programs started with the jukebox: one launcher, and a whole list.
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>

#include "core/base/services.h"
#include "remote/program_launcher.h"
#include "skin/modal_runner.h"
#include "windows/remote/editor_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

namespace {

// The launchers in their stored form, for telling whether anything changed.
std::string ListText(const TappLauncherList& list) {
    std::string text;
    for (int i = 0; i < list.Count(); ++i) text += list.Items(i)->Text() + '\n';
    return text;
}

void CopyList(const TappLauncherList& from, TappLauncherList& to) {
    to.BeginUpdate();
    to.Clear();
    for (int i = 0; i < from.Count(); ++i) to.Add(std::make_unique<TappLauncher>(*from.Items(i)));
    to.EndUpdate();
}

}  // namespace

bool EditAppLauncher(TappLauncher& launcher) {
    TeditorForm form("frmEditAppLauncher", "Program to Launch");
    auto* fields = new QFormLayout();
    auto* exeRow = new QHBoxLayout();
    auto* edExecutable = new QLineEdit(Q(launcher.FileName), &form);
    edExecutable->setObjectName("edExecutable");
    exeRow->addWidget(edExecutable, 1);
    QPushButton* btnGetExe = form.AddButton(exeRow, "btnGetExe", "...");
    btnGetExe->setMinimumWidth(48);
    fields->addRow("Program:", exeRow);
    auto* edParameters = new QLineEdit(Q(launcher.Parameters), &form);
    edParameters->setObjectName("edParameters");
    fields->addRow("Parameters:", edParameters);
    for (QLineEdit* e : {edExecutable, edParameters}) e->setMinimumHeight(36);
    form.Body()->addLayout(fields);
    auto* cbWaitForCompletion = new QCheckBox("Wait until it has finished", &form);
    cbWaitForCompletion->setObjectName("cbWaitForCompletion");
    cbWaitForCompletion->setMinimumHeight(36);
    cbWaitForCompletion->setChecked(launcher.Wait);
    form.Body()->addWidget(cbWaitForCompletion);
    auto* row = new QHBoxLayout();
    QPushButton* btnTest = form.AddButton(row, "btnTest", "&Test");
    row->addStretch(1);
    form.Body()->addLayout(row);
    form.AddOkCancel("btnOK");

    QObject::connect(btnGetExe, &QPushButton::clicked, &form, [edExecutable] {
        const std::string folder = std::filesystem::path(S(edExecutable->text())).parent_path().string();
        if (auto file = Prompt().ChooseOpenFile("Choose a Program", "All files (*)", folder))
            edExecutable->setText(Q(*file));
    });
    QObject::connect(btnTest, &QPushButton::clicked, &form, [=] {
        // A trial run of what the fields say; its waiting (if any) is not held up by this.
        TappLauncher trial;
        trial.FileName = S(edExecutable->text());
        trial.Parameters = S(edParameters->text());
        trial.Execute();
    });
    form.resize(520, 0);
    if (!IsOk(RunModal(form))) return false;
    launcher.FileName = S(edExecutable->text());
    launcher.Parameters = S(edParameters->text());
    launcher.Wait = cbWaitForCompletion->isChecked();
    return true;
}

bool EditAppLauncherList(TappLauncherList& list, const std::string& caption) {
    TeditorForm form("frmEditAppLauncherList", Q(caption));
    auto* middle = new QHBoxLayout();
    auto* lvLaunchers = new QTreeWidget(&form);
    lvLaunchers->setObjectName("lvLaunchers");
    lvLaunchers->setRootIsDecorated(false);
    lvLaunchers->setHeaderLabels({"Program", "Parameters", "Wait"});
    lvLaunchers->setStyleSheet("QTreeView::item { min-height: 48px; }");
    lvLaunchers->setMinimumSize(460, 300);
    lvLaunchers->header()->setStretchLastSection(false);
    lvLaunchers->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvLaunchers->header()->resizeSection(1, 200);
    lvLaunchers->header()->resizeSection(2, 64);
    middle->addWidget(lvLaunchers, 1);
    auto* side = new QVBoxLayout();
    QPushButton* btnAdd = form.AddButton(side, "btnAdd", "&Add");
    QPushButton* btnEdit = form.AddButton(side, "btnEdit", "&Edit");
    QPushButton* btnDelete = form.AddButton(side, "btnDelete", "&Delete");
    QPushButton* btnClear = form.AddButton(side, "btnClear", "C&lear");
    QPushButton* btnMoveUp = form.AddButton(side, "btnMoveUp", "Move &Up");
    QPushButton* btnMoveDown = form.AddButton(side, "btnMoveDown", "Move Do&wn");
    QPushButton* btnExecute = form.AddButton(side, "btnExecute", "&Run");
    QPushButton* btnExecuteAll = form.AddButton(side, "btnExecuteAll", "Run A&ll");
    side->addStretch(1);
    middle->addLayout(side);
    form.Body()->addLayout(middle, 1);
    form.AddOkCancel();

    TappLauncherList work;
    CopyList(list, work);
    const std::string before = ListText(work);
    const auto refresh = [&](int select) {
        lvLaunchers->clear();
        for (int i = 0; i < work.Count(); ++i) {
            const TappLauncher* launcher = work.Items(i);
            new QTreeWidgetItem(
                lvLaunchers, {Q(launcher->FileName), Q(launcher->Parameters), launcher->Wait ? "Yes" : "No"});
        }
        if (select >= work.Count()) select = work.Count() - 1;
        if (select >= 0) lvLaunchers->setCurrentItem(lvLaunchers->topLevelItem(select));
    };
    const auto selected = [&] {
        QTreeWidgetItem* item = lvLaunchers->currentItem();
        return item ? lvLaunchers->indexOfTopLevelItem(item) : -1;
    };
    refresh(0);

    QObject::connect(btnAdd, &QPushButton::clicked, &form, [&] {
        auto launcher = std::make_unique<TappLauncher>();
        if (!EditAppLauncher(*launcher)) return;
        work.Add(std::move(launcher));
        refresh(work.Count() - 1);
    });
    QObject::connect(btnEdit, &QPushButton::clicked, &form, [&] {
        const int row = selected();
        if (TappLauncher* launcher = work.Items(row); launcher && EditAppLauncher(*launcher)) refresh(row);
    });
    QObject::connect(btnClear, &QPushButton::clicked, &form, [&] {
        work.Clear();
        refresh(-1);
    });
    WireRowButtons(&form, btnDelete, btnMoveUp, btnMoveDown, work, selected, refresh,
                   [&work](int row) { work.Remove(row); });
    QObject::connect(btnExecute, &QPushButton::clicked, &form, [&] {
        if (const TappLauncher* launcher = work.Items(selected())) launcher->Execute();
    });
    // A run of the whole list goes on in the background on copies of its own, so it
    // outlives this dialog.
    QObject::connect(btnExecuteAll, &QPushButton::clicked, &form, [&] {
        auto run = std::make_shared<TappLauncherList>();
        CopyList(work, *run);
        run->ExecuteAll([run] {});
    });

    form.resize(720, 520);
    if (!IsOk(RunModal(form))) return false;
    if (ListText(work) != before) CopyList(work, list);
    return true;
}

}  // namespace tunecrest

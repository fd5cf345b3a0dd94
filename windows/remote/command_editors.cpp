// The command editors, the command-kind picker and the action picker.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>

#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "remote/controller_commands.h"
#include "remote/controller_hub.h"
#include "remote/x11_input.h"
#include "skin/modal_runner.h"
#include "windows/remote/editor_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

namespace {

// A decimal number of the given type; `def` when the text is empty, not a number or out
// of range.
template <typename T>
T ParseNumber(const QString& text, T def = 0) {
    const std::string s = S(text.trimmed());
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() ? value : def;
}

QLineEdit* AddEdit(QFormLayout* form, QWidget* parent, const char* name, const QString& label) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumHeight(36);
    form->addRow(label, edit);
    return edit;
}

QCheckBox* AddCheck(QBoxLayout* row, QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setMinimumHeight(36);
    row->addWidget(box);
    return box;
}

QFormLayout* AddForm(TeditorForm& form) {
    auto* layout = new QFormLayout();
    layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form.Body()->addLayout(layout);
    return layout;
}

// The window title and class edits shared by the key, message and mouse editors.
struct TwindowEdits {
    QLineEdit* edWindowTitle;
    QLineEdit* edWindowClass;
};
TwindowEdits AddWindowEdits(QFormLayout* form, QWidget* parent, const TwindowCommand& command) {
    TwindowEdits edits{AddEdit(form, parent, "edWindowTitle", "Window title:"),
                       AddEdit(form, parent, "edWindowClass", "Window class:")};
    edits.edWindowTitle->setText(Q(command.WindowTitle));
    edits.edWindowClass->setText(Q(command.WindowClass));
    edits.edWindowTitle->setPlaceholderText("any window");
    edits.edWindowClass->setPlaceholderText("any class");
    return edits;
}
void StoreWindowEdits(const TwindowEdits& edits, TwindowCommand& command) {
    command.WindowTitle = S(edits.edWindowTitle->text());
    command.WindowClass = S(edits.edWindowClass->text());
}

TpointerTargetProbe& PointerProbe() {
    static TpointerTargetProbe probe;
    return probe;
}

// The display's own probe: the X display's active window and the pointer on it; without
// an X display (a Wayland session), the window under the pointer when it is one of ours.
bool DisplayPointerTarget(TpointerTarget& target) {
    if (TpointerOnWindow onWindow; X11PointerOnActiveWindow(onWindow)) {
        target = {onWindow.X, onWindow.Y, onWindow.WindowClass, onWindow.WindowTitle};
        return true;
    }
    QWidget* window = QApplication::widgetAt(QCursor::pos());
    if (!window) return false;
    window = window->window();
    const QPoint client = window->mapFromGlobal(QCursor::pos());
    target.X = client.x();
    target.Y = client.y();
    target.WindowClass = window->metaObject()->className();
    target.WindowTitle = S(window->windowTitle());
    return true;
}

constexpr int kReadOnlyRole = Qt::UserRole + 1;

class TreadOnlyDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(kReadOnlyRole).toBool()) return;
        option->palette.setColor(QPalette::Highlight, Qt::red);
        option->palette.setColor(QPalette::HighlightedText, Qt::white);
    }
};

void AddActionNodes(QTreeWidget* tree, const TcontrollerActionList& list, bool includeReadOnly) {
    tree->clear();
    for (const TactionTreeGroup& group : list.FillTreeView(includeReadOnly)) {
        auto* node = new QTreeWidgetItem(tree, QStringList(Q(group.Label)));
        for (TcontrollerAction* action : group.Actions) {
            auto* child = new QTreeWidgetItem(node, QStringList(Q(action->Name())));
            child->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(quintptr(action)));
            // Generated actions stand out in red (white on red when selected).
            if (action->ReadOnly) {
                child->setForeground(0, QBrush(Qt::red));
                child->setData(0, kReadOnlyRole, true);
            }
        }
    }
    tree->expandAll();
}

TcontrollerAction* ActionOfNode(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<TcontrollerAction*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

QTreeWidgetItem* NodeOfAction(QTreeWidget* tree, const TcontrollerAction* action) {
    if (!action) return nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
            if (ActionOfNode(tree->topLevelItem(i)->child(j)) == action)
                return tree->topLevelItem(i)->child(j);
    return nullptr;
}

}  // namespace

QTreeWidget* MakeActionTree(TeditorForm& form, const char* name) {
    auto* tree = new QTreeWidget(&form);
    tree->setObjectName(name);
    tree->setHeaderHidden(true);
    tree->setMinimumSize(360, 300);
    tree->setStyleSheet("QTreeView::item { min-height: 48px; }");
    tree->setItemDelegate(new TreadOnlyDelegate(tree));
    form.Body()->addWidget(tree, 1);
    return tree;
}
void FillActionTree(QTreeWidget* tree, const TcontrollerActionList& list, bool includeReadOnly) {
    AddActionNodes(tree, list, includeReadOnly);
}
TcontrollerAction* ActionOfTreeNode(const QTreeWidgetItem* item) {
    return ActionOfNode(item);
}
void SelectActionNode(QTreeWidget* tree, const TcontrollerAction* action) {
    if (QTreeWidgetItem* node = NodeOfAction(tree, action)) tree->setCurrentItem(node);
}

TpointerTargetProbe SetPointerTargetProbe(TpointerTargetProbe probe) {
    TpointerTargetProbe previous = std::move(PointerProbe());
    PointerProbe() = std::move(probe);
    return previous;
}

bool ChooseCommandType(std::string& kind) {
    TeditorForm form("frmChooseCommandType", "Choose...");
    auto* lbTypes = new QListWidget(&form);
    lbTypes->setObjectName("lbTypes");
    lbTypes->setStyleSheet("QListView::item { min-height: 47px; }");
    for (const char* word : {"Mouse", "Key", "Message", "Exec", "Wait", "Action"}) lbTypes->addItem(word);
    form.Body()->addWidget(lbTypes);
    form.AddOkCancel();
    QObject::connect(lbTypes, &QListWidget::itemDoubleClicked, &form, [&form] { form.done(mrOk); });
    form.resize(300, 380);
    if (!IsOk(RunModal(form)) || !lbTypes->currentItem() || !lbTypes->currentItem()->isSelected())
        return false;
    kind = S(lbTypes->currentItem()->text());
    return true;
}

TcontrollerAction* SelectAction(TcontrollerActionList& list, TcontrollerAction* current) {
    TeditorForm form("frmSelectAction", "Choose an Action");
    QTreeWidget* tvActions = MakeActionTree(form, "tvActions");
    AddActionNodes(tvActions, list, true);
    SelectActionNode(tvActions, current);
    form.AddOkCancel();
    form.resize(440, 480);
    if (!IsOk(RunModal(form))) return current;
    return ActionOfNode(tvActions->currentItem());
}

bool EditSendKey(TsendKeyCommand& command) {
    TeditorForm form("frmEditSendKey", "Send Key Properties");
    QFormLayout* fields = AddForm(form);
    const TwindowEdits window = AddWindowEdits(fields, &form, command);
    auto* keyBox = new QGroupBox("Key", &form);
    auto* keyGrid = new QGridLayout(keyBox);
    auto* rbCharacter = new QRadioButton("Character", keyBox);
    rbCharacter->setObjectName("rbCharacter");
    auto* edCharacter = new QLineEdit(keyBox);
    edCharacter->setObjectName("edCharacter");
    edCharacter->setMaxLength(1);
    auto* rbSpecialKey = new QRadioButton("Special Key", keyBox);
    rbSpecialKey->setObjectName("rbSpecialKey");
    auto* cboKeyList = new QComboBox(keyBox);
    cboKeyList->setObjectName("cboKeyList");
    for (QWidget* w : std::initializer_list<QWidget*>{rbCharacter, edCharacter, rbSpecialKey, cboKeyList})
        w->setMinimumHeight(36);
    keyGrid->addWidget(rbCharacter, 0, 0);
    keyGrid->addWidget(edCharacter, 0, 1);
    keyGrid->addWidget(rbSpecialKey, 1, 0);
    keyGrid->addWidget(cboKeyList, 1, 1);
    form.Body()->addWidget(keyBox);
    auto* modifiers = new QHBoxLayout();
    QCheckBox* cbShift = AddCheck(modifiers, &form, "cbShift", "Shift");
    QCheckBox* cbControl = AddCheck(modifiers, &form, "cbControl", "Ctrl");
    QCheckBox* cbAlt = AddCheck(modifiers, &form, "cbAlt", "Alt");
    modifiers->addStretch(1);
    form.Body()->addLayout(modifiers);
    form.AddOkCancel();

    TmyStringList names;
    KeyboardKeys().FillList(names);
    for (int i = 0; i < names.Count(); ++i) cboKeyList->addItem(Q(names.Strings(i)));
    // Typed letters are taken upper-case: the key is meant, not the letter's case.
    QObject::connect(edCharacter, &QLineEdit::textEdited, edCharacter, [edCharacter](const QString& text) {
        QString upper = text;
        for (QChar& c : upper)
            if (c >= 'a' && c <= 'z') c = c.toUpper();
        if (upper != text) edCharacter->setText(upper);
    });
    const auto enableEdits = [=] {
        edCharacter->setEnabled(rbCharacter->isChecked());
        cboKeyList->setEnabled(rbSpecialKey->isChecked());
    };
    QObject::connect(rbCharacter, &QRadioButton::toggled, &form, enableEdits);
    QObject::connect(rbSpecialKey, &QRadioButton::toggled, &form, enableEdits);

    if (command.VirtualKey) {
        rbSpecialKey->setChecked(true);
        cboKeyList->setCurrentIndex(KeyboardKeys().IndexOfCode(command.KeyCode & 0xFFFF) -
                                    TkeyboardKeys::kFirstOfferedKey);
    } else {
        rbCharacter->setChecked(true);
        const char16_t code = char16_t(command.KeyCode & 0xFFFF);
        if (code != 0) edCharacter->setText(QString(QChar(code)));
    }
    cbShift->setChecked(command.Shift);
    cbControl->setChecked(command.Ctrl);
    cbAlt->setChecked(command.Alt);
    enableEdits();
    form.resize(460, 0);
    if (!IsOk(RunModal(form))) return false;

    if (rbCharacter->isChecked()) {
        const QString text = edCharacter->text();
        command.KeyCode = text.isEmpty() ? 0 : int32_t(text.at(0).unicode());
        command.VirtualKey = false;
    } else if (const TnamedKey* key = KeyboardKeys().FindByName(S(cboKeyList->currentText()))) {
        command.KeyCode = key->Code;
        command.VirtualKey = true;
    }
    command.Shift = cbShift->isChecked();
    command.Ctrl = cbControl->isChecked();
    command.Alt = cbAlt->isChecked();
    StoreWindowEdits(window, command);
    return true;
}

bool EditWait(TwaitCommand& command) {
    TeditorForm form("frmEditWait", "Wait Properties");
    QFormLayout* fields = AddForm(form);
    auto* speDelay = new QSpinBox(&form);
    speDelay->setObjectName("speDelay");
    speDelay->setRange(0, 24 * 3600);
    speDelay->setSuffix(" s");
    speDelay->setMinimumHeight(40);
    speDelay->setValue(command.Seconds);
    fields->addRow("Wait for:", speDelay);
    form.AddOkCancel();
    form.resize(320, 0);
    if (!IsOk(RunModal(form))) return false;
    command.Seconds = speDelay->value();
    return true;
}

bool EditAppLaunch(TappExecCommand& command) {
    TeditorForm form("frmEditAppLaunch", "Application Launch Properties");
    QFormLayout* fields = AddForm(form);
    auto* pathRow = new QHBoxLayout();
    auto* edAppPath = new QLineEdit(&form);
    edAppPath->setObjectName("edAppPath");
    edAppPath->setMinimumHeight(36);
    pathRow->addWidget(edAppPath, 1);
    QPushButton* browse = form.AddButton(pathRow, "Button1", "...");
    browse->setMinimumWidth(48);
    fields->addRow("Program:", pathRow);
    QLineEdit* edParams = AddEdit(fields, &form, "edParams", "Parameters:");
    auto* cboShowStyle = new QComboBox(&form);
    cboShowStyle->setObjectName("cboShowStyle");
    cboShowStyle->setMinimumHeight(36);
    fields->addRow("Window:", cboShowStyle);
    form.AddOkCancel();

    int selected = 0;
    for (size_t i = 0; i < ShowCommands().size(); ++i) {
        cboShowStyle->addItem(ShowCommands()[i].Name);
        if (ShowCommands()[i].Value == command.ShowCommand && selected == 0) selected = int(i);
    }
    cboShowStyle->setCurrentIndex(selected);
    edAppPath->setText(Q(command.FileName));
    edParams->setText(Q(command.Parameters));
    QObject::connect(browse, &QPushButton::clicked, &form, [edAppPath] {
        const std::string folder = std::filesystem::path(S(edAppPath->text())).parent_path().string();
        if (auto file = Prompt().ChooseOpenFile("Choose a Program", "All files (*)", folder))
            edAppPath->setText(Q(*file));
    });
    form.resize(520, 0);
    if (!IsOk(RunModal(form))) return false;
    command.FileName = S(edAppPath->text());
    command.Parameters = S(edParams->text());
    const int row = cboShowStyle->currentIndex();
    if (row >= 0 && row < int(ShowCommands().size())) command.ShowCommand = ShowCommands()[size_t(row)].Value;
    return true;
}

bool EditActionCommand(TactionCommand& command) {
    TeditorForm form("frmActionCommand", "Action Command Properties");
    auto* row = new QHBoxLayout();
    auto* edActionName = new QLineEdit(&form);
    edActionName->setObjectName("edActionName");
    edActionName->setReadOnly(true);
    edActionName->setMinimumHeight(36);
    row->addWidget(new QLabel("Action:", &form));
    row->addWidget(edActionName, 1);
    QPushButton* btnSelectAction = form.AddButton(row, "btnSelectAction", "&Select");
    form.Body()->addLayout(row);
    form.AddOkCancel();

    TcontrollerActionList* list = command.Action() ? command.Action()->LookupList() : nullptr;
    // The choice is kept by name and looked up when shown, so nothing freed is held.
    std::string chosen;
    if (list)
        if (TcontrollerAction* current = list->FindByName(command.ActionName)) chosen = current->Name();
    const auto show = [&] {
        TcontrollerAction* action = list ? list->FindByName(chosen) : nullptr;
        std::string text = action ? action->Name() : std::string();
        if (action && !action->Description().empty()) text += " [" + action->Description() + "]";
        edActionName->setText(Q(text));
    };
    show();
    btnSelectAction->setEnabled(list != nullptr);
    QObject::connect(btnSelectAction, &QPushButton::clicked, &form, [&] {
        TcontrollerAction* picked = SelectAction(*list, list->FindByName(chosen));
        chosen = picked ? picked->Name() : std::string();
        show();
    });
    form.resize(520, 0);
    if (!IsOk(RunModal(form))) return false;
    command.ActionName = chosen;
    return true;
}

bool EditSendMessage(TsendMessageCommand& command) {
    TeditorForm form("frmSendMessageCommand", "Send Message Properties");
    QFormLayout* fields = AddForm(form);
    const TwindowEdits window = AddWindowEdits(fields, &form, command);
    QLineEdit* edMessageID = AddEdit(fields, &form, "edMessageID", "Message:");
    QLineEdit* edWParam = AddEdit(fields, &form, "edWParam", "wParam:");
    QLineEdit* edLParam = AddEdit(fields, &form, "edLParam", "lParam:");
    edMessageID->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), edMessageID));
    for (QLineEdit* e : {edWParam, edLParam})
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,10}"), e));
    edMessageID->setText(QString::number(command.MessageID));
    edWParam->setText(QString::number(command.WParam));
    edLParam->setText(QString::number(command.LParam));
    form.AddOkCancel();
    form.resize(460, 0);
    if (!IsOk(RunModal(form))) return false;
    StoreWindowEdits(window, command);
    command.MessageID = ParseNumber<uint32_t>(edMessageID->text());
    command.WParam = ParseNumber<int32_t>(edWParam->text());
    command.LParam = ParseNumber<int32_t>(edLParam->text());
    return true;
}

bool EditMouse(TmouseCommand& command) {
    TeditorForm form("frmEditMouse", "Mouse Command Properties");
    auto* buttons = new QHBoxLayout();
    QCheckBox* cbLeftClick = AddCheck(buttons, &form, "cbLeftClick", "Left");
    QCheckBox* cbMiddleClick = AddCheck(buttons, &form, "cbMiddleClick", "Middle");
    QCheckBox* cbRightClick = AddCheck(buttons, &form, "cbRightClick", "Right");
    buttons->addStretch(1);
    form.Body()->addLayout(buttons);
    QFormLayout* fields = AddForm(form);
    const TwindowEdits window = AddWindowEdits(fields, &form, command);
    QLineEdit* edXpos = AddEdit(fields, &form, "edXpos", "X:");
    QLineEdit* edYpos = AddEdit(fields, &form, "edYpos", "Y:");
    for (QLineEdit* e : {edXpos, edYpos}) {
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), e));
        // Every change keeps the value within 0 to 65535.
        QObject::connect(e, &QLineEdit::textChanged, e, [e](const QString& text) {
            if (text.isEmpty()) return;
            const auto value = ParseNumber<uint64_t>(text, 65535);
            if (value > 65535) e->setText("65535");
        });
    }
    auto* getRow = new QHBoxLayout();
    auto* lblGet = new QLabel(&form);
    lblGet->setObjectName("lblGet");
    lblGet->setWordWrap(true);
    getRow->addWidget(lblGet, 1);
    QPushButton* btnGet = form.AddButton(getRow, "Button1", "Get");
    form.Body()->addLayout(getRow);
    form.AddOkCancel();

    cbLeftClick->setChecked(command.LeftButton);
    cbMiddleClick->setChecked(command.MiddleButton);
    cbRightClick->setChecked(command.RightButton);
    edXpos->setText(QString::number(command.X));
    edYpos->setText(QString::number(command.Y));

    // "Get": the dialog steps aside for a while so the user can point at the target; a
    // timer takes the target then. The screen keeps running meanwhile (no waiting loop).
    auto* captureTimer = new QTimer(&form);
    captureTimer->setSingleShot(true);
    QObject::connect(btnGet, &QPushButton::clicked, &form, [&form, captureTimer, btnGet, lblGet] {
        btnGet->setEnabled(false);
        lblGet->setText("Point at the target window within 10 seconds.");
        form.showMinimized();
        captureTimer->start(kPointerCaptureDelayMs);
    });
    QObject::connect(captureTimer, &QTimer::timeout, &form, [&, btnGet, lblGet] {
        TpointerTarget target;
        const TpointerTargetProbe& probe = PointerProbe();
        const bool found = probe ? probe(target) : DisplayPointerTarget(target);
        if (found) {
            edXpos->setText(QString::number(std::clamp(target.X, 0, 65535)));
            edYpos->setText(QString::number(std::clamp(target.Y, 0, 65535)));
            window.edWindowClass->setText(Q(target.WindowClass));
            window.edWindowTitle->setText(Q(target.WindowTitle));
            lblGet->clear();
        } else {
            lblGet->setText("No window was found under the pointer.");
        }
        form.showNormal();
        btnGet->setEnabled(true);
    });
    form.resize(460, 0);
    if (!IsOk(RunModal(form))) return false;
    command.LeftButton = cbLeftClick->isChecked();
    command.MiddleButton = cbMiddleClick->isChecked();
    command.RightButton = cbRightClick->isChecked();
    StoreWindowEdits(window, command);
    command.X = std::clamp(ParseNumber<int32_t>(edXpos->text()), 0, 65535);
    command.Y = std::clamp(ParseNumber<int32_t>(edYpos->text()), 0, 65535);
    return true;
}

bool EditActivateGroup(TgroupActivateCommand& command, const TcontrolGroupList* groups) {
    TeditorForm form("frmEditActivateGroup", "Activate Group Properties");
    QFormLayout* fields = AddForm(form);
    auto* cboGroupName = new QComboBox(&form);
    cboGroupName->setObjectName("cboGroupName");
    cboGroupName->setEditable(true);
    cboGroupName->setMinimumHeight(36);
    fields->addRow("Control group:", cboGroupName);
    form.AddOkCancel();
    if (groups)
        for (int i = 0; i < groups->Count(); ++i) cboGroupName->addItem(Q(groups->Strings(i)));
    const int index = cboGroupName->findText(Q(command.GroupName));
    if (index >= 0)
        cboGroupName->setCurrentIndex(index);
    else
        cboGroupName->setEditText(Q(command.GroupName));
    form.resize(400, 0);
    if (!IsOk(RunModal(form))) return false;
    command.GroupName = S(cboGroupName->currentText());
    return true;
}

bool EditCommand(TcustomControllerCommand& command) {
    if (auto* c = dynamic_cast<TsendKeyCommand*>(&command)) return EditSendKey(*c);
    if (auto* c = dynamic_cast<TwaitCommand*>(&command)) return EditWait(*c);
    if (auto* c = dynamic_cast<TappExecCommand*>(&command)) return EditAppLaunch(*c);
    if (auto* c = dynamic_cast<TactionCommand*>(&command)) return EditActionCommand(*c);
    if (auto* c = dynamic_cast<TsendMessageCommand*>(&command)) return EditSendMessage(*c);
    if (auto* c = dynamic_cast<TmouseCommand*>(&command)) return EditMouse(*c);
    if (auto* c = dynamic_cast<TgroupActivateCommand*>(&command)) {
        const TcontrollerActionList* list = command.Action() ? command.Action()->LookupList() : nullptr;
        return EditActivateGroup(*c, list ? list->GroupList() : nullptr);
    }
    return false;
}

void InstallRemoteEditors() {
    SetCommandEditor([](TcustomControllerCommand& command) { return EditCommand(command); });
    SetActionEditor([](TcontrollerAction& action) { return EditAction(action); });
    SetActionListEditor([](TcontrollerActionList& list) { return EditActions(list); });
}

}  // namespace tunecrest

#include "ui/dialogs/history_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/program.h"
#include "files/device_core.h"
#include "files/history_command.h"
#include "files/reading_changes.h"
#include "history/history_store.h"
#include "ui/dialogs/button_mnemonics.h"

namespace zh {
namespace {

// The window is found by its name: the class has no meta-object of its own,
// so a look by type would take any dialog.
const char* const kHistoryName = "deviceHistory";

QString when(const HistoryReading& r) {
    return r.when.toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

QTreeWidget* newList(QWidget* parent, const char* name, const QStringList& headers) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels(headers);
    list->header()->setStretchLastSection(true);
    return list;
}

class HistoryWindow : public QDialog {
  public:
    HistoryWindow(QWidget* parent, DeviceCore& core);

    // The device last connected and its readings, again from disk; the
    // readings chosen stay chosen while they are kept.
    void refresh();

  private:
    QString tr(const char* text) const {
        return core_.program.messages.lookupMessage(QLatin1String(text), QStringLiteral("Common"));
    }
    // Why the window lists nothing, or "" when it lists readings.
    QString emptyReason() const;
    void fillReadings(const std::vector<int>& chosen);
    // What changed between the readings chosen (one: since the one before).
    void showChanges();
    const HistoryReading* readingOf(const QTreeWidgetItem* item) const;

    DeviceCore& core_;
    QString folder_;  // the device's history folder, "" while no device is known
    std::vector<HistoryReading> readings_;  // oldest first, as kept
    QLabel* state_;
    QWidget* body_;
    QTreeWidget* list_;
    QLabel* changesHead_;
    QTreeWidget* changes_;
};

HistoryWindow::HistoryWindow(QWidget* parent, DeviceCore& core) : QDialog(parent), core_(core) {
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("historyState"));
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    body_ = splitter;
    list_ = newList(splitter, "historyReadings",
                    {tr("No."), tr("Date"), tr("Operation"), tr("Port"), tr("Tag")});
    list_->setAccessibleName(tr("Readings kept"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { showChanges(); });

    auto* lower = new QWidget(splitter);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    changesHead_ = new QLabel(lower);
    changesHead_->setObjectName(QStringLiteral("historyChangesHead"));
    changesHead_->setWordWrap(true);
    changes_ = newList(lower, "historyChanges", {tr("Field"), tr("Before"), tr("After")});
    changes_->setAccessibleName(tr("Changes between the readings chosen"));
    changes_->setSelectionMode(QAbstractItemView::NoSelection);
    lowerLayout->addWidget(changesHead_);
    lowerLayout->addWidget(changes_);
    splitter->addWidget(list_);
    splitter->addWidget(lower);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* again = buttons->addButton(tr("Refresh"), QDialogButtonBox::ActionRole);
    again->setObjectName(QStringLiteral("historyRefresh"));
    again->setAutoDefault(false);
    QPushButton* close = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("historyClose"));
    connect(again, &QPushButton::clicked, this, [this] { refresh(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(state_);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    markButtons(*this);
    resize(680, 520);
}

void HistoryWindow::refresh() {
    std::vector<int> chosen;
    for (const QTreeWidgetItem* item : list_->selectedItems())
        if (const HistoryReading* r = readingOf(item)) chosen.push_back(r->number);
    folder_ = deviceHistoryFolder(core_);
    readings_ =
        folder_.isEmpty() ? std::vector<HistoryReading>() : DeviceHistory(folder_).readings();

    QString title = tr("Device history");
    if (!folder_.isEmpty()) {
        title += QStringLiteral(" - ") + QFileInfo(folder_).fileName();
        const QString tag = readings_.empty() ? QString() : readings_.back().tag;
        if (!tag.isEmpty()) title += QStringLiteral(" (") + tag + QLatin1Char(')');
    }
    setWindowTitle(title);

    const QString reason = emptyReason();
    body_->setVisible(reason.isEmpty());
    state_->setText(reason.isEmpty()
                        ? tr("Readings kept: %1, in %2. Choose one to see what changed since "
                             "the one before, or two to compare them.")
                              .arg(readings_.size())
                              .arg(folder_)
                        : reason);
    fillReadings(chosen);
}

QString HistoryWindow::emptyReason() const {
    if (folder_.isEmpty())
        return tr(
            "No device has been connected yet. The history shows the readings kept of "
            "the device last connected: read it first.");
    if (!readings_.empty()) return QString();
    if (keptReadings(core_.program) == 0)
        return tr("The device history is off: the profile keeps no readings.");
    return tr("No readings of this device are kept yet (%1). Every good read and write "
              "of it is kept.")
        .arg(folder_);
}

void HistoryWindow::fillReadings(const std::vector<int>& chosen) {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (auto r = readings_.rbegin(); r != readings_.rend(); ++r) {
        const QString what = r->what == QLatin1String("write") ? tr("write") : tr("read");
        auto* item = new QTreeWidgetItem(
            list_, {QString::number(r->number), when(*r), what, r->port, r->tag});
        item->setData(0, Qt::UserRole, r->number);
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        if (std::find(chosen.begin(), chosen.end(), r->number) != chosen.end())
            item->setSelected(true);
    }
    // At first the newest: what the last reading changed.
    if (list_->selectedItems().isEmpty() && list_->topLevelItemCount() > 0)
        list_->topLevelItem(0)->setSelected(true);
    for (int column = 0; column < list_->columnCount() - 1; ++column)
        list_->resizeColumnToContents(column);
    showChanges();
}

const HistoryReading* HistoryWindow::readingOf(const QTreeWidgetItem* item) const {
    const int number = item->data(0, Qt::UserRole).toInt();
    for (const HistoryReading& r : readings_)
        if (r.number == number) return &r;
    return nullptr;
}

void HistoryWindow::showChanges() {
    changes_->clear();
    std::vector<const HistoryReading*> chosen;
    for (const QTreeWidgetItem* item : list_->selectedItems())
        if (const HistoryReading* r = readingOf(item)) chosen.push_back(r);
    std::sort(chosen.begin(), chosen.end(), [](const HistoryReading* a, const HistoryReading* b) {
        return a->number < b->number;
    });
    if (chosen.size() == 1) {
        // The one before it in the list kept, if any.
        const auto at = static_cast<size_t>(chosen.front() - readings_.data());
        if (at == 0) {
            changesHead_->setText(tr("Reading %1 is the first kept: there is none before it to "
                                     "compare with.")
                                      .arg(chosen.front()->number));
            return;
        }
        chosen.insert(chosen.begin(), &readings_.at(at - 1));
    }
    if (chosen.size() != 2) {
        changesHead_->setText(
            tr("Choose one reading to see what changed since the one before, or two to "
               "compare them."));
        return;
    }
    const HistoryReading& a = *chosen.front();
    const HistoryReading& b = *chosen.back();
    const ReadingChanges c = readingChanges(core_, DeviceHistory(folder_), a, b);
    QString outcome;
    if (!c.failure.isEmpty())
        outcome = tr("not comparable: %1").arg(c.failure);
    else if (c.changes.empty())
        outcome = tr("no change");
    else
        outcome = tr("%1 change(s)").arg(c.changes.size());
    changesHead_->setText(
        tr("From reading %1 (%2) to reading %3 (%4): %5")
            .arg(QString::number(a.number), when(a), QString::number(b.number), when(b), outcome));
    for (const ReadingChange& change : c.changes)
        new QTreeWidgetItem(changes_, {change.caption, change.before, change.after});
    for (int column = 0; column < changes_->columnCount() - 1; ++column)
        changes_->resizeColumnToContents(column);
}

}  // namespace

QDialog* deviceHistoryOf(const QWidget* parent) {
    if (!parent) return nullptr;
    return parent->findChild<QDialog*>(QLatin1String(kHistoryName), Qt::FindDirectChildrenOnly);
}

void showDeviceHistory(QWidget* parent, DeviceCore& core) {
    auto* window = dynamic_cast<HistoryWindow*>(deviceHistoryOf(parent));
    if (!window) {
        window = new HistoryWindow(parent, core);
        window->setObjectName(QLatin1String(kHistoryName));
    }
    // Shown again, it shows the device connected last, as it is kept now.
    window->refresh();
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace zh

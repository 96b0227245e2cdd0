#include "ui/dialogs/scan_list_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/dialogs/button_mnemonics.h"

namespace zh {
ScanListDialog::ScanListDialog(const QList<ScanEntry>& entries, const QString& title,
                               const std::function<QString(const char*)>& tr, QWidget* parent)
    : QDialog(parent), entries_(entries), table_(new QTableWidget(this)) {
    setObjectName(QStringLiteral("scanList"));
    setWindowTitle(title);
    const QStringList headers = {tr("Address"),   tr("Manufacturer"), tr("Device type"),
                                 tr("Device ID"), tr("HART"),         tr("Tag"),
                                 tr("Long tag")};
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const QStringList cells = scanEntryColumns(entries.at(row));
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table_->setItem(row, column, item);
        }
    }
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->resizeColumnsToContents();
    if (!entries.isEmpty()) table_->selectRow(0);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { choose(row); });

    auto* use = new QPushButton(tr("Use address"), this);
    use->setObjectName(QStringLiteral("use"));
    use->setEnabled(!entries.isEmpty());
    connect(use, &QPushButton::clicked, this, [this] { choose(table_->currentRow()); });
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(use);
    buttons->addStretch();
    buttons->addWidget(close);
    markButtons(*this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(720, 300);
}

void ScanListDialog::choose(int row) {
    if (row < 0 || row >= entries_.size()) return;
    chosen_ = entries_.at(row).address;
    accept();
}

}  // namespace zh

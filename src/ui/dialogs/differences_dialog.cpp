#include "ui/dialogs/differences_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/dialogs/button_mnemonics.h"

namespace zh {

DifferencesDialog::DifferencesDialog(QWidget* parent, const DifferenceList& list,
                                     std::function<QString()> askPath,
                                     std::function<void(const QString&)> tell)
    : QDialog(parent), lines_(list.lines), askPath_(std::move(askPath)), tell_(std::move(tell)) {
    setObjectName(QStringLiteral("differences"));
    setWindowTitle(list.title);
    auto* table = new QTableWidget(static_cast<int>(list.rows.size()),
                                   static_cast<int>(list.headers.size()), this);
    table->setObjectName(QStringLiteral("differenceTable"));
    table->setHorizontalHeaderLabels(list.headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int row = 0; row < table->rowCount(); ++row) {
        const QStringList& cells = list.rows.at(static_cast<size_t>(row));
        for (int column = 0; column < table->columnCount(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells.value(column)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* saveButton = buttons->addButton(list.saveCaption, QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("saveDifferences"));
    QPushButton* close = buttons->addButton(list.closeCaption, QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(buttons);
    markButtons(*this);
    resize(640, 320);
}

void DifferencesDialog::save() {
    const QString path = askPath_ ? askPath_() : QString();
    if (path.isEmpty()) return;
    QFile file(path);
    const QByteArray text = (lines_.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(text) != text.size()) {
        if (tell_) tell_(path);
    }
}

}  // namespace zh

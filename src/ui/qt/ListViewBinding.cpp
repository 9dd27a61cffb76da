#include "ui/qt/ListViewBinding.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <vector>

#include "lists/ListModel.h"

namespace {

Qt::Alignment AlignmentOf(ColumnAlign align) {
    return (align == ColumnAlign::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

ListViewBinding::ListViewBinding(QTreeWidget& view, QList<QPixmap> images)
    : view_(view), images_(std::move(images)) {
    SetUpView(view_);
}

void ListViewBinding::SetUpView(QTreeWidget& view) {
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSortingEnabled(false);
    view.setAllColumnsShowFocus(true);
    view.setIconSize(QSize(16, 16));
    view.setTextElideMode(Qt::ElideRight);
    view.header()->setSectionsClickable(false);
    view.header()->setSectionsMovable(false);
    view.header()->setStretchLastSection(false);
    view.header()->setSectionResizeMode(QHeaderView::Interactive);
}

void ListViewBinding::RenderColumns(const ListModel& model) {
    const auto& columns = model.Columns();
    QStringList titles;
    for (const auto& column : columns) titles << QString::fromStdString(column.title);
    view_.setColumnCount(static_cast<int>(columns.size()));
    view_.setHeaderLabels(titles);
    QTreeWidgetItem* header = view_.headerItem();
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        view_.setColumnWidth(c, columns[static_cast<std::size_t>(c)].width);
        header->setTextAlignment(c, AlignmentOf(columns[static_cast<std::size_t>(c)].align));
    }
}

void ListViewBinding::Render(const ListModel& model) {
    if (shownModel_ == &model && shownRevision_ == model.Revision()) return;
    shownModel_ = &model;
    shownRevision_ = model.Revision();

    const bool blocked = view_.blockSignals(true);
    view_.setUpdatesEnabled(false);
    view_.clear();
    RenderColumns(model);
    const auto& columns = model.Columns();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(model.RowCount()));
    for (const auto& row : model.Rows()) {
        auto* item = new QTreeWidgetItem;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            item->setText(static_cast<int>(c), QString::fromStdString(row.Text(c)));
            item->setTextAlignment(static_cast<int>(c), AlignmentOf(columns[c].align));
        }
        if (row.image >= 0 && row.image < images_.size()) item->setIcon(0, QIcon(images_[row.image]));
        items.append(item);
    }
    view_.addTopLevelItems(items);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto& row = model.Row(static_cast<std::size_t>(i));
        items[i]->setSelected(row.selected);
        if (row.focused) view_.setCurrentItem(items[i], 0, QItemSelectionModel::NoUpdate);
    }
    view_.setUpdatesEnabled(true);
    view_.blockSignals(blocked);
}

void ListViewBinding::WriteBack(ListModel& model) const {
    std::vector<bool> selected(model.RowCount(), false);
    const int count = view_.topLevelItemCount();
    for (int i = 0; i < count && static_cast<std::size_t>(i) < selected.size(); ++i)
        selected[static_cast<std::size_t>(i)] = view_.topLevelItem(i)->isSelected();
    const QTreeWidgetItem* current = view_.currentItem();
    const std::ptrdiff_t focused = current ? view_.indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(current)) : -1;
    model.SetSelection(selected, focused);
}

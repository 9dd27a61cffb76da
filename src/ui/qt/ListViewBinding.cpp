#include "ui/qt/ListViewBinding.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "lists/ListModel.h"

namespace {

// The row's image number, kept beside its icon.
constexpr int kImageRole = Qt::UserRole + 1;

Qt::Alignment AlignmentOf(ColumnAlign align) {
    return (align == ColumnAlign::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

ListViewBinding::ListViewBinding(QTreeWidget& view, QList<QPixmap> images) : view_(view) {
    for (const QPixmap& image : images) {
        QIcon icon;
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected, QIcon::Active}) icon.addPixmap(image, mode);
        icons_.append(icon);
    }
    SetUpView(view_);
    // A scroll bar that comes or goes changes the room for the columns.
    viewport_ = view_.viewport();
    viewport_->installEventFilter(this);
}

bool ListViewBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport_ && event->type() == QEvent::Resize) FitFirstColumn();
    return false;
}

QIcon ListViewBinding::IconFor(int image) const {
    return image >= 0 && image < icons_.size() ? icons_[image] : QIcon();
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
    FitFirstColumn();
}

void ListViewBinding::SetExtraWidth(int extra) {
    extraWidth_ = extra > 0 ? extra : 0;
    FitFirstColumn();
}

void ListViewBinding::FitOtherColumns() {
    // Sizes and dates are never cut: a column is at least as wide as its
    // widest text (1992294400 as much as 12), the model's width the least.
    const auto& columns = shownModel_->Columns();
    for (std::size_t c = 1; c < columns.size(); ++c) {
        const int column = static_cast<int>(c);
        view_.resizeColumnToContents(column);
        view_.setColumnWidth(column, std::max(view_.columnWidth(column), columns[c].width));
    }
}

void ListViewBinding::FitFirstColumn() {
    if (shownModel_ == nullptr || shownModel_->Columns().empty()) return;
    int all = shownModel_->Columns().front().width;
    for (int c = 1; c < view_.columnCount(); ++c) all += view_.columnWidth(c);
    const int room = view_.viewport()->width() - all;
    view_.setColumnWidth(0, shownModel_->Columns().front().width + std::clamp(room, 0, extraWidth_));
}

void ListViewBinding::Render(const ListModel& model) {
    if (shownModel_ == &model && shownRevision_ == model.Revision()) return;
    const bool sameContent = shownModel_ == &model && shownContent_ == model.ContentRevision() &&
                             static_cast<std::size_t>(view_.topLevelItemCount()) == model.RowCount();
    shownModel_ = &model;
    shownRevision_ = model.Revision();
    shownContent_ = model.ContentRevision();

    const bool blocked = view_.blockSignals(true);
    if (sameContent) {
        RenderImagesAndSelection(model);
    } else {
        view_.setUpdatesEnabled(false);
        RenderRows(model);
        view_.setUpdatesEnabled(true);
    }
    view_.blockSignals(blocked);
}

void ListViewBinding::RenderRows(const ListModel& model) {
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
        item->setIcon(0, IconFor(row.image));
        item->setData(0, kImageRole, row.image);
        // The whole name, for one the column cuts.
        item->setToolTip(0, item->text(0));
        items.append(item);
    }
    view_.addTopLevelItems(items);
    FitOtherColumns();
    FitFirstColumn();
    // A new folder or catalog starts at its first row, whatever the view
    // showed before; a focused row is then brought into view.
    view_.scrollToTop();
    RenderImagesAndSelection(model);
}

void ListViewBinding::RenderImagesAndSelection(const ListModel& model) {
    for (int i = 0; i < view_.topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = view_.topLevelItem(i);
        const auto& row = model.Row(static_cast<std::size_t>(i));
        if (item->data(0, kImageRole).toInt() != row.image) {
            item->setIcon(0, IconFor(row.image));
            item->setData(0, kImageRole, row.image);
        }
        if (item->isSelected() != row.selected) item->setSelected(row.selected);
        if (row.focused && view_.currentItem() != item) view_.setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
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

#pragma once
// Shows a ListModel in a QTreeWidget in report mode and hands the user's
// selection and focus back to the model. Rendering an unchanged model (same
// revision) leaves the view alone, so the user's selection survives a render.

#include <QList>
#include <QPixmap>
#include <cstdint>

class ListModel;
class QTreeWidget;

class ListViewBinding {
public:
    // images: the list's small images, indexed by a row's image number.
    ListViewBinding(QTreeWidget& view, QList<QPixmap> images);

    // Report-mode styles: several rows selectable, headers not clickable, no
    // sorting, no tree decoration.
    static void SetUpView(QTreeWidget& view);

    void Render(const ListModel& model);
    void WriteBack(ListModel& model) const;

private:
    void RenderColumns(const ListModel& model);

    QTreeWidget& view_;
    QList<QPixmap> images_;
    std::uint64_t shownRevision_ = 0;
    const ListModel* shownModel_ = nullptr;
};

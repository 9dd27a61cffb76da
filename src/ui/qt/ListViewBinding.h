#pragma once
// Shows a ListModel in a QTreeWidget in report mode and hands the user's
// selection and focus back to the model. Rendering an unchanged model (same
// revision) leaves the view alone, so the user's selection survives a render.
// New contents are drawn from their first row; new marks change the images
// of the rows in place, so the view stays where the user scrolled it.

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <cstdint>

class ListModel;
class QTreeWidget;

class ListViewBinding : public QObject {
public:
    // images: the list's small images, indexed by a row's image number.
    ListViewBinding(QTreeWidget& view, QList<QPixmap> images);

    // Report-mode styles: several rows selectable, headers not clickable, no
    // sorting, no tree decoration.
    static void SetUpView(QTreeWidget& view);

    void Render(const ListModel& model);
    // Width the list has beyond its default size. It first shows the
    // columns the default width cuts off; what is left widens the first
    // column, so that long names can be read.
    void SetExtraWidth(int extra);
    void WriteBack(ListModel& model) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitFirstColumn();
    void FitOtherColumns();
    void RenderColumns(const ListModel& model);
    void RenderRows(const ListModel& model);
    void RenderImagesAndSelection(const ListModel& model);
    QIcon IconFor(int image) const;

    QTreeWidget& view_;
    QObject* viewport_ = nullptr;
    // One icon per image, the same picture whether the row is selected or
    // not: the selection's tint would wash out the marks' colours.
    QList<QIcon> icons_;
    std::uint64_t shownRevision_ = 0;
    std::uint64_t shownContent_ = 0;
    int extraWidth_ = 0;
    const ListModel* shownModel_ = nullptr;
};

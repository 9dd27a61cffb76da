#include "ui/qt/RememberedSize.h"

#include <QSettings>

namespace {

constexpr char kKey[] = "window/size";

QSettings Settings() { return QSettings(QStringLiteral("tapewren"), QStringLiteral("tapewren")); }

}  // namespace

QSize RememberedSize::Load(QSize minimum) {
    const QSize size = Settings().value(QLatin1String(kKey)).toSize();
    return size.isValid() ? size.expandedTo(minimum) : minimum;
}

void RememberedSize::Save(QSize size) { Settings().setValue(QLatin1String(kKey), size); }

#pragma once
// What the managers of main objects (shortcuts, menus, palettes) answer
// alike, so that a list or pane can find and open an object of any of them.
#include "QVEMainModel.h"

#include <QList>

namespace editor {

class QVEMainObjectsManager {
public:
    virtual ~QVEMainObjectsManager() = default;
    virtual QVEMainModel* objectWithID(quint32 id) const = 0;
    virtual void editObjectsID(const QList<quint32>& ids) = 0;
};

} // namespace editor

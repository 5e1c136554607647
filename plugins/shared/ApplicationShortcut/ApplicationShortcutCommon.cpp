#include "ApplicationShortcutCommon.h"

namespace zelk::ApplicationShortcutModels {

int categoryOfAction(int model)
{
    switch (model) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 3;
    case 4:
    case 5:
    case 6:
    case 20:
    case 21:
    case 22:
        return 4;
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
        return 5;
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
        return 6;
    default:
        return 0;
    }
}

bool isNamedModel(int model)
{
    return model == 6 || model == 10 || model == 13 || model == 16 || model == 19;
}

QString nameOfImageForModelID(int model)
{
    return model == 1 || model == 3 ? QStringLiteral("application.tiff") : QStringLiteral("process.tiff");
}

} // namespace zelk::ApplicationShortcutModels

#include "HelperAppDelegate.h"

#include "Bundle.h"
#include "Log.h"
#include "Platform.h"

#include <QDir>
#include <QFileInfo>

namespace helper {

QString HelperAppDelegate::targetIdentifierFor(const QString& helperIdentifier)
{
    const qsizetype dot = helperIdentifier.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? helperIdentifier : helperIdentifier.left(dot);
}

QString HelperAppDelegate::outerBundleWithIdentifier(const QString& helperBundlePath, const QString& targetIdentifier)
{
    // The walk starts above the helper's own bundle: a helper that matched
    // itself would start itself again, for ever.
    QString candidate = QFileInfo(QDir::cleanPath(QFileInfo(helperBundlePath).absoluteFilePath())).absolutePath();
    // A last component shorter than two characters is the root: no match.
    while (QFileInfo(candidate).fileName().size() >= 2) {
        // Only application bundles count (a Contents folder holds an
        // Info.plist too, but is not one).
        const bool isApplication = QFileInfo::exists(candidate + QStringLiteral("/Contents/Info.plist"));
        const zelk::Bundle bundle = isApplication ? zelk::Bundle::atPath(candidate) : zelk::Bundle();
        if (bundle.isValid() && !bundle.identifier().isEmpty() && bundle.identifier() == targetIdentifier)
            return candidate;
        candidate = QFileInfo(candidate).absolutePath();
    }
    return {};
}

QString HelperAppDelegate::applicationDidFinishLaunching(const QString& helperBundlePath, const QString& helperIdentifier)
{
    const QString target = targetIdentifierFor(helperIdentifier);
    zelk::zlog("HelperAppDelegate", "applicationDidFinishLaunching") << "bundleIdToLaunch:" << target;
    // An identifier without a dot names no engine, only the helper itself.
    const QString outer = target == helperIdentifier ? QString() : outerBundleWithIdentifier(helperBundlePath, target);
    zelk::zlog("HelperAppDelegate", "applicationDidFinishLaunching") << "matched outer app bundle" << outer;
    zelk::zlog("HelperAppDelegate", "applicationDidFinishLaunching") << "Helper trying to launch main outer app at" << outer;
    // Nothing found: nothing to launch, and nobody to tell.
    if (!outer.isEmpty())
        zelk::Platform::instance().workspace().launchApplication(outer);
    return outer;
}

} // namespace helper

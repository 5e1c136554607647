#pragma once
// Bundles: a folder with Info.plist and Resources, as the build lays out.
//   application  Zelk.app/Contents/{Info.plist, MacOS, Frameworks, PlugIns, Resources}
//   shared object  <dir>/libQVAction.so or <dir>/ActionRunners.so has its
//                  bundle in the folder beside it named after it without
//                  "lib" and ".so": <dir>/QVAction/{Info.plist, Resources}
// Look-ups answer empty strings when there is nothing; a Bundle is a cheap
// value (its tables are cached per process and shared, thread-safely).
#include <QString>
#include <QVariantMap>
#include <memory>

namespace zelk {

class Bundle {
public:
    Bundle() = default;                          // invalid
    static Bundle atPath(const QString& path);   // an application bundle (.app) or a shared object's bundle folder
    // The .app around the running program (walking up from its executable);
    // invalid when the program is not inside one. ZELK_MAIN_BUNDLE overrides.
    static Bundle main();
    // The first enclosing .app of a path (the path itself excluded).
    static Bundle enclosing(const QString& path);
    // The bundle of the shared object (or program) holding this address.
    static Bundle forAddress(const void* address);
    // The bundle of a shared object file (see above).
    static Bundle forLibrary(const QString& soPath);

    bool isValid() const { return d != nullptr; }
    QString bundlePath() const;          // Zelk.app, or .../Frameworks/QVAction
    QString contentsPath() const;        // Zelk.app/Contents, or the bundle folder itself
    QString executablePath() const;      // MacOS/<CFBundleExecutable or name>, or the .so
    QString resourcePath() const;        // <contents>/Resources
    QString frameworksPath() const;      // <contents>/Frameworks
    QString builtInPlugInsPath() const;  // <contents>/PlugIns
    QVariantMap infoDictionary() const;
    QString identifier() const;          // CFBundleIdentifier
    QString version() const;             // CFBundleShortVersionString
    QVariant objectForInfoDictionaryKey(const QString& key) const;

    // Resource look-up: name may carry its extension or pass it as type.
    // Localised resources are searched in en.lproj after the top level. An
    // image named ".tiff" is also found as ".png" (our artwork is PNG).
    QString pathForResource(const QString& name, const QString& type = {}) const;

    // NSBundle semantics: the table's value for key; else value when it is
    // not empty; else the key itself. An empty table means "Localizable".
    QString localizedString(const QString& key, const QString& value = {}, const QString& table = {}) const;
    bool hasLocalizedString(const QString& key, const QString& table = {}) const;

    bool operator==(const Bundle& o) const { return bundlePath() == o.bundlePath(); }

private:
    struct Data;
    // The shared, cached data of the bundle at a path.
    static std::shared_ptr<const Data> dataFor(const QString& path, const QString& soPath);
    std::shared_ptr<const Data> d;
};

} // namespace zelk

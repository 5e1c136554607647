#pragma once
// The editor's utility class as the typing and key types use it: keys read
// from the (virtual) keyboard layout, modifier names, text files, and a
// document panel that answers what the test queued.
#include "ModifierFlags.h"
#include "PaneTestSupport.h"
#include "Platform.h"

#include <QFile>

namespace zelk::test {

class KeyTypesUtility : public FakeUtility {
public:
    char asciiForKeycode(quint32 keycode) override
    {
        const quint16 shift = keystrokeModifiersOfHotKey(keycode) & (Keystroke::Shift | Keystroke::CapsLock);
        const QString text = Platform::instance().keyboardLayout().characterForKey(
            quint16(keycode & HotKey::KeyCodeMask), shift ? Keystroke::Shift : 0);
        return text.isEmpty() ? 0 : text.at(0).toLatin1();
    }
    QString modifierStringWithKeycode(quint32 keycode) override
    {
        QString names;
        for (const auto& [flag, name] : {std::pair{HotKey::Command, "Ctrl+"}, std::pair{HotKey::Option, "Alt+"},
                                         std::pair{HotKey::Control, "Super+"}, std::pair{HotKey::Shift, "Shift+"}})
            if (keycode & flag)
                names += QLatin1String(name);
        return names;
    }
    bool isTextFileAtPath(const QString& path) override { return path.endsWith(QLatin1String(".txt")); }
    QString stringWithPath(const QString& path) override
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("");
    }
    QString getDocumentOfTypes(const QStringList& types, const QString& fromPath) override
    {
        documentTypes = types;
        documentStarts.append(fromPath);
        return documentAnswers.isEmpty() ? QString() : documentAnswers.takeFirst();
    }

    QStringList documentAnswers;  // paths the document panel answers, in turn ("" cancels)
    QStringList documentStarts;
    QStringList documentTypes;
};

class KeyTypesUtilityScope {
public:
    KeyTypesUtilityScope() { ClassRegistry::shared().registerClass(&utility); }
    ~KeyTypesUtilityScope() { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }
    KeyTypesUtility utility;
};

// Writes a file; answers its path.
inline QString writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(contents);
    return path;
}

} // namespace zelk::test

#include "URLHandlerCommand.h"

#include "Log.h"
#include "QVAppl.h"

#include <QStringList>
#include <QUrl>

namespace engine {

namespace {

// The scheme (lower case) and the rest; false for a text without a ":".
bool splitURL(const QString& url, QString* scheme, QString* rest)
{
    const qsizetype colon = url.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    *scheme = url.left(colon).toLower();
    *rest = url.mid(colon + 1);
    return true;
}

} // namespace

bool URLHandlerCommand::isEngineURL(const QString& url)
{
    QString scheme, rest;
    return splitURL(url, &scheme, &rest) && (scheme == QLatin1String("zelk") || scheme == QLatin1String("quov"));
}

URLHandlerCommand::Target URLHandlerCommand::targetOfURL(const QString& url)
{
    QString scheme, rest;
    if (!splitURL(url, &scheme, &rest)) {
        zelk::zlog("URLHandlerCommand", "performDefaultImplementation") << "bad url:" << url;
        return Target::None;
    }
    if (scheme != QLatin1String("zelk") && scheme != QLatin1String("quov"))
        return Target::None;
    const QStringList parts = QUrl::fromPercentEncoding(rest.toUtf8()).split(QLatin1Char('&'));
    if (parts.size() == 1 && parts.first().toLower().startsWith(QLatin1String("//manual")))
        return Target::Manual;
    return Target::None;
}

bool URLHandlerCommand::performDefaultImplementation(const QString& url)
{
    switch (targetOfURL(url)) {
    case Target::Manual:
        if (QVAppl* appl = QVAppl::shared()) {
            appl->NUDocumentation();
            return true;
        }
        return false;
    case Target::None:
        break;
    }
    zelk::zlog("URLHandlerCommand", "performDefaultImplementation") << "not handled:" << url;
    return false;
}

} // namespace engine

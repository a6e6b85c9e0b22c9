#include "Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <map>
#include <stdexcept>
#include <string>

// resources.qrc is compiled into a static library: naming its initialiser keeps the linker from
// dropping it, together with every picture and the help page.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

using PictureTable = std::map<int, const char *>;

const PictureTable kBitmaps = {
    {101, "add"},     {102, "del"},  {103, "cancel"},  {104, "find"},   {105, "filter"},
    {106, "refresh"}, {107, "font"}, {108, "print"},   {109, "help"},   {110, "exit"},
    {113, "yes"},     {114, "no"},   {116, "preview"}, {117, "output"}, {118, "psetup"},
};

const PictureTable kIcons = {
    {201, "digest"},
};

QString picturePath(const PictureTable &table, int id)
{
    const auto found = table.find(id);
    if (found == table.end())
        throw std::out_of_range("no picture has the resource number " + std::to_string(id));
    return QStringLiteral(":/kvdigest/pictures/%1.svg").arg(QLatin1String(found->second));
}

QPixmap render(const QString &path, QSize size)
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);

    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        throw std::runtime_error("the picture " + path.toStdString() + " cannot be read");
    if (size.isEmpty())
        size = renderer.defaultSize();

    // Drawn at the screen's pixel density so that the lines stay sharp on dense screens.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace

QPixmap LoadResPicture(int id, QSize size)
{
    return render(picturePath(kBitmaps, id), size);
}

QIcon LoadResIcon(int id)
{
    const QString path = picturePath(kIcons, id);
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64})
        icon.addPixmap(render(path, QSize(side, side)));
    return icon;
}

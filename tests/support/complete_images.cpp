#include "complete_images.h"

#include "media_tools.h"

namespace {

// Prints one line per file that is not a complete image of the expected size.
const char* const kCheck =
    "import os, sys\n"
    "from PIL import Image\n"
    "folder, extension, width, height = sys.argv[1], '.' + sys.argv[2], int(sys.argv[3]), int(sys.argv[4])\n"
    "for name in sorted(os.listdir(folder)):\n"
    "    if not name.endswith(extension):\n"
    "        continue\n"
    "    try:\n"
    "        with Image.open(os.path.join(folder, name)) as image:\n"
    "            image.load()\n"
    "            if image.size != (width, height):\n"
    "                print(name, 'is', image.size)\n"
    "    except Exception as error:\n"
    "        print(name, 'does not decode:', error)\n";

}  // namespace

QStringList IncompleteImages(const QString& folder, const QString& extension, int width, int height)
{
    const ToolResult check = RunTool(QString::fromLatin1(kPython),
        {"-c", kCheck, folder, extension, QString::number(width), QString::number(height)});
    if (check.exitCode != 0)
        return {QStringLiteral("the check itself failed: ") + QString::fromUtf8(check.err)};
    return QString::fromUtf8(check.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

#include <filesystem>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include "gui/qt/gui_runtime.h"
#include "setup/core/installation_files.h"

namespace {

const QString kMedium = QStringLiteral(VELMORA_MEDIUM_DIR);
// The GIF and icon files are what the Windows programs carry; the Qt window has PNG copies.
const QString kResources = QStringLiteral(VELMORA_RESOURCES_DIR);

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Little-endian number; reads past the end as zeros so that a broken file fails the checks.
quint32 Number(const QByteArray& bytes, qsizetype at, int size = 1) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | (at + i < bytes.size() ? uchar(bytes[at + i]) : 0u);
    return value;
}

// The global colour table of a GIF file: what the step pictures' pixels must come from.
QSet<QRgb> GlobalColourTable(const QByteArray& gif) {
    QSet<QRgb> table;
    const quint32 entries = (Number(gif, 10) & 0x80) != 0 ? 2u << (Number(gif, 10) & 7) : 0u;
    for (quint32 i = 0; i < entries; ++i) {
        const qsizetype at = 13 + 3 * qsizetype(i);
        table.insert(qRgb(Number(gif, at), Number(gif, at + 1), Number(gif, at + 2)));
    }
    return table;
}

class StepPicture : public testing::TestWithParam<int> {
protected:
    QString Path() const { return kResources + QStringLiteral("/step%1.gif").arg(GetParam()); }
};

TEST_P(StepPicture, IsOneFrameGif89aWithAFullColourTableAndNoTransparency) {
    const QByteArray gif = ReadAll(Path());
    ASSERT_TRUE(gif.startsWith("GIF89a")) << "missing from the resources: " << Path().toStdString();
    QImageReader reader(Path());
    EXPECT_EQ(reader.imageCount(), 1);
    EXPECT_EQ(reader.size(), QSize(40, 42));
    EXPECT_TRUE((Number(gif, 10) & 0x80) != 0 && (2u << (Number(gif, 10) & 7)) == 256u)
        << "a global table of 256 entries";
    EXPECT_FALSE(reader.read().hasAlphaChannel());
}

TEST_P(StepPicture, ShowsAGreyDigitInAWarmRingWithFourteenColoursOfItsTable) {
    const QSet<QRgb> table = GlobalColourTable(ReadAll(Path()));
    const QImage image(Path());
    ASSERT_EQ(image.size(), QSize(40, 42));
    QSet<QRgb> used;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            used.insert(image.pixel(x, y));
    }
    EXPECT_EQ(used.size(), 14);
    for (QRgb colour : used)
        EXPECT_TRUE(table.contains(colour)) << std::hex << colour;

    EXPECT_EQ(
        QImage(QStringLiteral(":/step%1.png").arg(GetParam())).convertToFormat(image.format()),
        image)
        << "the Qt window's copy differs";

    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    bool greyInMiddle = false;
    for (int x = 14; x < 26; ++x) {
        const QColor c = image.pixelColor(x, 21);
        greyInMiddle |= c.red() == c.green() && c.green() == c.blue() && c.red() < 200;
    }
    EXPECT_TRUE(greyInMiddle);
    for (QPoint onRing : {QPoint(20, 5), QPoint(4, 21), QPoint(36, 21), QPoint(20, 37)}) {
        const QColor c = image.pixelColor(onRing);
        EXPECT_TRUE(c.red() == 255 && c.green() > c.blue() && c.blue() < 200) << onRing.x();
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, StepPicture, testing::Values(1, 2, 3));

TEST(ProgramIcon, HoldsFiveImagesInTheirSizesAndDepths) {
    const QByteArray ico = ReadAll(kResources + QLatin1String("/program.ico"));
    ASSERT_EQ(Number(ico, 0, 4), 0x10000u) << "not an icon file";
    ASSERT_EQ(Number(ico, 4, 2), 5u);
    const quint32 sizes[] = {48, 32, 16, 32, 12}, depths[] = {8, 8, 4, 4, 4};
    for (int i = 0; i < 5; ++i) {
        const qsizetype entry = 6 + 16 * i, image = Number(ico, entry + 12, 4);
        SCOPED_TRACE(i);
        EXPECT_EQ(Number(ico, entry), sizes[i]);
        EXPECT_EQ(Number(ico, entry + 1), sizes[i]);
        EXPECT_EQ(Number(ico, entry + 6, 2), depths[i]);
        EXPECT_LE(image + Number(ico, entry + 8, 4), quint32(ico.size()));
        EXPECT_EQ(Number(ico, image + 4, 4), sizes[i]) << "bitmap width";
        EXPECT_EQ(Number(ico, image + 8, 4), 2 * sizes[i]) << "bitmap height, colours and mask";
        EXPECT_EQ(Number(ico, image + 14, 2), depths[i]) << "bitmap depth";
    }
}

TEST(ProgramIcon, LoadsWithEverySizeAndIsTransparentOutsideTheDial) {
    const QImage large(kResources + QLatin1String("/program.ico"));
    ASSERT_EQ(large.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(large.pixel(47, 47)), 0);
    EXPECT_EQ(qAlpha(large.pixel(24, 24)), 255);
    const QList<QSize> sizes = QIcon(kResources + QLatin1String("/program.ico")).availableSizes();
    for (int size : {48, 32, 16, 12})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    const QIcon qtIcon = gui::qt::ProgramIcon();
    for (int size : {48, 32, 16})
        EXPECT_TRUE(qtIcon.availableSizes().contains(QSize(size, size))) << "Qt's, " << size;
    EXPECT_EQ(qtIcon.pixmap(48).toImage().convertToFormat(large.format()), large);
}

TEST(Medium, HoldsTheFifteenFilesTheUninstallerAndTheBundledToolkitWithTheirModes) {
    QStringList files{QStringLiteral("Uninstall.exe"), QStringLiteral("Installation.files")};
    for (const auto name : setup::kInstallationFiles) {
        files << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    QStringList expected = files;
    expected << QStringLiteral(VELMORA_RUNTIME_FOLDER);
    QStringList present = QDir(kMedium).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                  QDir::NoDotAndDotDot);
    expected.sort();
    present.sort();
    ASSERT_EQ(present.join(u' ').toStdString(), expected.join(u' ').toStdString())
        << kMedium.toStdString();
    for (const QString& name : files) {
        const auto mode =
            std::filesystem::status((kMedium + u'/' + name).toStdString()).permissions();
        const bool program = name.endsWith(QLatin1String(".exe"));
        EXPECT_EQ(int(mode & std::filesystem::perms::mask), program ? 0755 : 0644)
            << name.toStdString();
    }
    for (const QString& name :
         QDir(kMedium).entryList({QStringLiteral("*.gif"), QStringLiteral("*.ico")}))
        EXPECT_FALSE(QImage(kMedium + u'/' + name).isNull()) << name.toStdString();
    EXPECT_TRUE(ReadAll(kMedium + QLatin1String("/help.html")).contains("<title>Velmora_KZ 2.0.1"));
    EXPECT_TRUE(ReadAll(kMedium + QLatin1String("/Velmora_KZ.jar")).startsWith("PK\x03\x04"));
    // The list names every file Setup copies by its size, the toolkit's included.
    const QByteArray list = ReadAll(kMedium + QLatin1String("/Installation.files"));
    EXPECT_TRUE(list.startsWith("Velmora_KZ 2.0.1 installation files 1\r\n"));
    for (const QString& name : files) {
        if (name == QLatin1String("Installation.files")) {
            continue;
        }
        const QByteArray size = QByteArray::number(QFileInfo(kMedium + u'/' + name).size());
        EXPECT_TRUE(list.contains("\r\nfile " + size + " ")) << name.toStdString();
        EXPECT_TRUE(list.contains(" " + name.toUtf8() + "\r\n")) << name.toStdString();
    }
}

TEST(Medium, ApplicationProgramNotesItsFolderThenStartsTheJar) {
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(kMedium + QLatin1String("/Velmora_KZ.exe"),
                            folder.filePath(QStringLiteral("Velmora_KZ.exe"))));
    QProcess shell;
    shell.setWorkingDirectory(folder.path());
    // A stand-in "java" that records its arguments.
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("mkdir bin && printf '#!/bin/sh\\necho \"$@\" > java.arguments\\n'"
                                " > bin/java && chmod +x bin/java &&"
                                " PATH=\"$PWD/bin:$PATH\" ./Velmora_KZ.exe one")});
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    const QList<QByteArray> started =
        ReadAll(folder.filePath(QStringLiteral("Velmora_KZ.started"))).split('\n');
    ASSERT_GE(started.size(), 2);
    EXPECT_EQ(started[0], QDir(folder.path()).canonicalPath().toUtf8());
    EXPECT_FALSE(started[1].isEmpty()) << "no start time";
    EXPECT_EQ(ReadAll(folder.filePath(QStringLiteral("java.arguments"))),
              "-jar Velmora_KZ.jar one\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

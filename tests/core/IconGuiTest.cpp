// Icon pictures under the offscreen platform: the core's own icon-file reader agrees with Qt's,
// and the fixed pictures of the image lists are there in both sizes.
#include "IconTestSupport.h"

#include "core/CatalogExt.h"
#include "platform/IconFile.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(IconGui, TheIconReaderAgreesWithQtsReader) {
    for (int Bits : {1, 4, 8, 24, 32}) {
        IcoPicture P = PatternPicture(Bits == 4 ? 20 : 16, 16, Bits, 3);
        std::string File = MakeIcoFile({P});
        TIconImage Ours;
        ASSERT_TRUE(DecodeIconFile(File, 16, Ours)) << Bits;
        QImage Qt = QImage::fromData(reinterpret_cast<const uchar*>(File.data()),
                                     static_cast<int>(File.size()), "ICO");
        ASSERT_FALSE(Qt.isNull()) << "no ICO reader for " << Bits << " bits";
        Qt = Qt.convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(Qt.width(), Ours.Width);
        ASSERT_EQ(Qt.height(), Ours.Height);
        for (int Y = 0; Y < Qt.height(); ++Y)
            for (int X = 0; X < Qt.width(); ++X) {
                uint32_t Mine = Ours.Pixels[static_cast<size_t>(Y * Ours.Width + X)];
                QRgb Theirs = Qt.pixel(X, Y);
                // Fully transparent pixels may differ in colour only. Qt's reader ignores the
                // mask of 24-bit pictures, where the desktop (and we) apply it.
                if (qAlpha(Theirs) == 0 && (Mine >> 24) == 0) continue;
                if (Bits == 24 && Mine == 0 && Theirs == 0xFF000000) continue;
                EXPECT_EQ(Mine, static_cast<uint32_t>(Theirs))
                    << Bits << " bits at " << X << "," << Y;
            }
    }
}

TEST(IconGui, FixedPicturesExistInBothSizes) {
    for (int Size : {16, 32})
        for (const char* Name : FixedImageNames) {
            QString Path =
                QString("%1/resources/images/%2/%3").arg(QM_SOURCE_DIR).arg(Size).arg(Name);
            QImage Image(Path);
            ASSERT_FALSE(Image.isNull()) << Path.toStdString();
            EXPECT_EQ(Image.width(), Size);
            EXPECT_EQ(Image.height(), Size);
            EXPECT_TRUE(Image.hasAlphaChannel());
        }
}

#include "convert/writers/fdib_pointer.h"

#include "convert/writers/image_encoder.h"

bool FDIBPointer::Acceptable(const BitmapInfoHeader& header)
{
    return header.biBitCount >= 16 && header.biSizeImage >= 1;
}

bool FDIBPointer::CreateFromPackedDIBPointer(const std::uint8_t* pDIB)
{
    if (pDIB == nullptr)
        return false;
    const BitmapInfoHeader header = BitmapInfoHeader::Read(pDIB);
    if (!Acceptable(header))
        return false;
    frame_ = std::make_shared<const PackedDib>(PackedDib::CopyOf(pDIB, header));
    return true;
}

bool FDIBPointer::CreateFromPackedDib(std::shared_ptr<const PackedDib> frame)
{
    if (!frame || !Acceptable(frame->Header()))
        return false;
    frame_ = std::move(frame);
    return true;
}

void FDIBPointer::WriteToFile(const QString& filename) const
{
    EncodedImage scratch;
    WriteImage(*frame_, OutputFormat::BMP, 0, filename, scratch);
}

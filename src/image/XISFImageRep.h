#pragma once
// A monolithic XISF file: the signature "XISF0100", the XML header's length (little-endian
// 32-bit at byte 8), the header from byte 16, and one uncompressed little-endian image block
// attached at a byte position given in the header. 8-bit grey, 16-bit grey or 8-bit RGB; two
// 8-bit channels show as one 16-bit grey sample. The bitmap points into the data, except planar
// (the XISF default storage) two- and three-channel images, which are interleaved into a buffer.

#include "image/ImageRepRegistry.h"

struct XISFImageRep {
  // What the header's "Image" elements say about the pixels; later elements overwrite
  // what they set.
  struct ParserDelegate {
    int64_t width = 0;
    int64_t height = 0;
    int64_t depth = 0;          // channels
    int64_t bytesPerPixel = 0;  // bytes per sample
    int64_t offset = 0;         // position of the pixel data in the file
    std::optional<int64_t> attachmentSize;
    bool planar = true;  // the XISF default storage
    bool compressed = false;
    bool bigEndian = false;
    QString failure;  // set by an attribute that makes decoding fail

    void parse(QByteArrayView header);
  };

  // True when the data begins with "XISF0100".
  static bool canInitWithData(QByteArrayView data);
  static DecodeResult imageRepsWithData(const QByteArray &data);
  static ImageRepClass imageRepClass();
};

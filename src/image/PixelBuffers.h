#pragma once
// Pixel buffers of the decoders, reused between frames of the same size. A camera's frames all
// have one size: a fresh buffer of 50 MB costs more in page faults (the kernel zeroing every
// page at its first touch) than decoding into it. A buffer whose last holder lets go is kept for
// the next frame of its size while another buffer of that size is still in use (the frame shown
// before), and given back to the system with the last one, so nothing is kept once the images
// of that size are gone.

#include <cstdint>
#include <memory>

namespace PixelBuffers {

// A buffer of `bytes` bytes (recycled, or new when none of that size waits), whose contents are
// undefined; null when memory runs out. Any thread may take and release buffers.
std::shared_ptr<uint8_t[]> take(int64_t bytes);
// Whether `owner` shares a buffer from `take`: letting go of it only files it for the next frame,
// which takes no time on any thread (but for the last buffer of a size).
bool pooled(const std::shared_ptr<const void> &owner);
// A frame of about `bytes` bytes is on its way (its data began to arrive). Unless frames of that
// size are in use already, a buffer for it is mapped and faulted in on the pool meanwhile, so the
// first frame of a series does not pay for a fresh one either; not taken by the time the next
// frame is on its way (not a frame for these buffers), it is given back. Returns at once.
void expect(int64_t bytes);

}  // namespace PixelBuffers

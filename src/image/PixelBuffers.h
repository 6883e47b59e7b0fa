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
// A frame of about `bytes` bytes is on its way: half its data has arrived. Unless frames of that
// size are in use already, a buffer for it is mapped and faulted in on the pool meanwhile, so the
// first frame of a series does not pay for a fresh one either. One frame is expected at a time,
// and one buffer made at a time: a newer expectation gives back the buffer of the one before
// (and, when that buffer was ready and not taken, not a frame for these buffers, makes none
// itself). Returns at once, with the expectation's ticket for `forget`; 0 when none was made.
uint64_t expect(int64_t bytes);
// The frame of the ticket has ended, whatever came of it (decoded, refused, cut short): a buffer
// made for it and not taken is given back, also while it is being made.
void forget(uint64_t ticket);
// The bytes of the buffer made ready for the frame expected, 0 while none is ready.
int64_t expectedBytes();

}  // namespace PixelBuffers

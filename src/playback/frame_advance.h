// The frame advance that the viewer and the report share: every sequence is brought to
// the next frame of the pass together, as the freeze lists say.
#pragma once

// What the advance did at one frame.
struct FrameStep {
    bool held[4];  // sequence n (2 or 3) was held: its freeze list names the frame
    bool more;     // the pass goes on after this frame
};

// Places every sequence at `frame` for a new pass (clearing an end of file met before);
// false when the first sequence has nothing left there.
bool start_pass(int frame);

// Sequence n at `frame`: the first sequence is always read; the others are held (nothing
// is read: picture and file position stay) when their freeze list names the frame. A
// sequence that ran out keeps its last picture. Returns whether it was held.
bool advance_sequence(int n, int frame);

// Whether the pass goes on after `frame`, once every sequence is at it.
bool pass_goes_on(int frame);

// Every sequence at `frame`, in order.
FrameStep advance_sequences(int frame);

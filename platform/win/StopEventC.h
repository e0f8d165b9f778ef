/* The C view of a stop event that the program hands to its run-time libraries, so that they can
   poll it without linking back into the program. */
#ifndef PICREEL_STOP_EVENT_C_H
#define PICREEL_STOP_EVENT_C_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct StopEventC {
    void* context;
    /* Non-zero when the event is set; consumes the signal like a zero-time wait on an auto-reset event. */
    int (*test)(void* context);
} StopEventC;

/* Safe on a null view or a view without a test function. */
static inline int StopEventIsSet(const StopEventC* stop) {
    return stop && stop->test ? stop->test(stop->context) : 0;
}

#ifdef __cplusplus
}
#endif

#endif

#include "model/EffectNames.h"

const char* const g_TransitionNames[19] = {
    "Alpha", "Accordion", "Blinds", "Circle",  "Clock",     "Cube fly", "Diagonal sweep",
    "Door",  "Flip",      "Fly",    "Polygon", "Rotate in", "Shutter",  "Spin",
    "Sweep", "Twist",     "Wipe",   "Zoom",    "random",
};

const char* const g_TransitionListNames[19] = {
    "Random",         "Alpha", "Accordion", "Blinds", "Circle",  "Clock",     "Cube fly",
    "Diagonal sweep", "Door",  "Flip",      "Fly",    "Polygon", "Rotate in", "Shutter",
    "Spin",           "Sweep", "Twist",     "Wipe",   "Zoom",
};

const char* const g_SingleEffectNames[SINGLE_EFFECT_COUNT] = {
    "pan from left to right",
    "pan from right to left",
    "pan from left-down to right-up",
    "pan from right-up to left-down",
    "pan from left-up to right-down",
    "pan from right-down to left-up",
    "pan from up to down",
    "pan from down to up",
    "zoom center in",
    "zoom left-up in",
    "zoom right-up in",
    "zoom left-down in",
    "zoom right-down in",
    "zoom center out",
    "zoom left-up out",
    "zoom right-up out",
    "zoom left-down out",
    "zoom right-down out",
    "zoom in and rotate",
    "zoom out and rotate",
    "none",
    "random",
};

const char* const g_EffectLevelNames[EFFECT_LEVEL_COUNT] = {"None", "Pan", "Pan/Zoom", "Pan/Zoom/Rotate"};

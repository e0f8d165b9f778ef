// Base of the transition kinds. An object holds its kind id and the kind's one or two integer
// parameters; the renderers read nothing else. Whoever holds the pointer owns the object.
#pragma once

#include <cstdint>
#include <utility>

class CXmlDoc;

enum TransitionKind : int32_t {
    TRANSITION_ALPHA = 0,
    TRANSITION_ACCORDION = 1,
    TRANSITION_BLINDS = 2,
    TRANSITION_CIRCLE = 3,
    TRANSITION_CLOCK = 4,
    TRANSITION_CUBE_FLY = 5,
    TRANSITION_DIAGONAL_SWEEP = 6,
    TRANSITION_DOOR = 7,
    TRANSITION_FLIP = 8,
    TRANSITION_FLY = 9,
    TRANSITION_POLYGON = 10,
    TRANSITION_ROTATE_IN = 11,
    TRANSITION_SHUTTER = 12,
    TRANSITION_SPIN = 13,
    TRANSITION_SWEEP = 14,
    TRANSITION_TWIST = 15,
    TRANSITION_WIPE = 16,
    TRANSITION_ZOOM = 17,
    TRANSITION_RANDOM = 18,
};

// Kinds that draw something (0..17); Random (18) stands for one of them.
constexpr int32_t TRANSITION_DRAWN_KINDS = 18;
// All kinds, Random included.
constexpr int32_t TRANSITION_KIND_COUNT = 19;

// The element every kind writes itself as; its attribute NAME holds the kind's key.
inline constexpr const char* TRANSITION_SETTING_ELEM = "TRANSITION_EFFECT_SETTING";

class TransitionSetting {
public:
    // Runs a kind's setting dialog on an object. The dialogs live in the user interface, which
    // the model must not depend on, so the user interface registers one handler per kind at
    // start-up (RegisterTransitionDialogs in app/); without a handler Edit does nothing.
    using EditHandler = void (*)(TransitionSetting& setting);

    virtual ~TransitionSetting() = default;
    TransitionSetting& operator=(const TransitionSetting&) = delete;

    // Appends the object as one TRANSITION_EFFECT_SETTING element at the document's current
    // level; afterwards that element is current. The base writes nothing.
    virtual void Save(CXmlDoc& xml) const;

    // Runs the kind's setting dialog modally; the dialog changes the object through SetParams.
    virtual void Edit();

    static void SetEditHandler(int32_t kind, EditHandler handler);
    static EditHandler GetEditHandler(int32_t kind);

    const int32_t m_nKind;
    int32_t m_nParam1 = 0;
    // Second parameter of the two-parameter kinds; 0 or 1 where it is a flag (Clock, Wipe).
    int32_t m_nParam2 = 0;

protected:
    explicit TransitionSetting(int32_t kind) : m_nKind(kind) {}
    TransitionSetting(const TransitionSetting&) = default;

    // min(Rand() / divisor / scale, top): the top values of Rand() land one step past the range
    // and are brought back.
    static int32_t DrawChoice(int32_t divisor, int32_t scale, int32_t top);
    // A strip width 1..80: max(Rand() / 81 / 5, 1).
    static int32_t DrawWidth();

    // Writing: the setting element with NAME = key, bare or with one parameter element under
    // it, or with "<key>_PARAM" holding the two parameter elements.
    static void SaveBare(CXmlDoc& xml, const char* key);
    void SaveOne(CXmlDoc& xml, const char* key, const char* elem) const;
    void SaveTwo(CXmlDoc& xml, const char* key, const char* elem1, const char* elem2) const;

    // Reading from a document positioned on the setting element. A missing element throws
    // the boolean false (the loaders catch it); values are taken as written, unchecked.
    static int32_t LoadOne(CXmlDoc& xml, const char* elem);
    static std::pair<int32_t, int32_t> LoadTwo(CXmlDoc& xml, const char* key, const char* elem1,
                                               const char* elem2);
};

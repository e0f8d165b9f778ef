// The project file (".prg", root "vuzovez"): the work-folder paths and every slideshow with its
// music, pictures, each picture's own settings, adjustment values and edit records. Element
// order matters when reading: each element is looked up after the one before it.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

class CProject;
class CSlideItem;
class CSlideShow;
class CXmlDoc;

class CProjectFile {
public:
    // The project as the file's text.
    static std::string BuildText(const CProject& project);

    // Writes the project file when the project has unsaved changes. The file is replaced only
    // by a complete new one; on any failure the old file and the unsaved-changes flag stay.
    // With showMessage the user is told where it went.
    static BOOL Save(CProject& project, bool showMessage);

    // Adds the slideshows of the project file to the project. FALSE for an unreadable or
    // unparsable file or a missing required element (what was read before stays). The
    // preference-file path the file names is not followed; its work-folder paths are taken only
    // when they are the program's own work folders.
    static BOOL Load(CProject& project);

private:
    enum class ReadResult { Done, Skipped, Failed, NoRoom };

    static ReadResult ReadSlideshow(CProject& project, CXmlDoc& xml);
    static ReadResult ReadPicture(CProject& project, CSlideShow& show, CXmlDoc& xml);
    // The edit records that follow in a picture element, appended in file order.
    static bool ReadEdits(CSlideItem& slide, CXmlDoc& xml);
};

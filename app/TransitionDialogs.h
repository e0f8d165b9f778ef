// Hooks the transition setting dialogs into the model. The model's transition objects open
// their dialog through TransitionSetting::Edit, but the model must not depend on the user
// interface, so the model keeps a table of one handler per kind and this fills it. Call it
// once at start-up (the front end's main does; tests that edit transitions call it too).
#pragma once

void RegisterTransitionDialogs();

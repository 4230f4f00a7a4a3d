#include "ui/document_state.h"

#include "framework/appcore.h"

CDocumentState& GetDocumentState() { return dynamic_cast<CDocumentState&>(Casement::GetApp()); }

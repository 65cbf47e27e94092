// PLACEHOLDER: replaced by the real implementation.
#include "scene/keywords.h"
const KeywordRow liste_motcle[kKeywordRows] = {};

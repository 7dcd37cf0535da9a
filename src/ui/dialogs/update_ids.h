// The update dialog's template and control ids, shared by its logic, its
// window and its resource script (update.rc includes this file, so it holds
// only preprocessor definitions).
#pragma once

#define KEYLOOM_IDD_UPDATE 149

#define KEYLOOM_IDC_UPDATE_COMBO 1178   // placed, never shown or used
#define KEYLOOM_IDC_UPDATE_PATH 1179    // shows the chosen updater
#define KEYLOOM_IDC_UPDATE 1147
#define KEYLOOM_IDC_CANCEL_UPDATE 1180
#define KEYLOOM_IDC_UPDATE_OPEN 1181
#define KEYLOOM_IDC_UPDATE_BACKUP 1182

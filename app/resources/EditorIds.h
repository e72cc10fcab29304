// Resource and control ids of the sequence editor's dialogs. The dialog and control ids are the ones
// TradeStation users know from the editor's screens; ids Tavrin adds are in 2000-2999.
#pragma once

// Dialogs
#define IDD_SEQUENCE_EDITOR 129
#define IDD_TIMEFRAME 130
#define IDD_PERMUTATION 131
#define IDD_MODIFY_PARAMETER 132

// Sequence editor (129)
#define IDC_EDIT_DEFINITION 1027
#define IDC_SYMBOLS 1028
#define IDC_TIMEFRAMES 1029
#define IDC_PARAMETERS 1030
#define IDC_SYMBOL_ADD 1031
#define IDC_SYMBOL_DELETE 1032
#define IDC_TIMEFRAME_ADD 1033
#define IDC_TIMEFRAME_DELETE 1034
#define IDC_PARAMETER_ADD 1035
#define IDC_PARAMETER_DELETE 1036
#define IDC_SYMBOL_LIST_ADD 1037
#define IDC_WORKSPACE_BROWSE 1038
#define IDC_WORKSPACE_PATH 1039
#define IDC_WORKSPACE_GROUP 1040
#define IDC_SHOW_CMD 1041
#define IDC_FRAME_LIST_ADD 1042
#define IDC_SYMBOL_LIST_SAVE 1043
#define IDC_FRAME_LIST_SAVE 1044
#define IDC_TIMEFRAME_EDIT 1045
#define IDC_PARAMETER_EDIT 1046
#define IDC_PARAMETER_IMPORT 1047
#define IDC_SYMBOL_VIEW 1048
#define IDC_END_DATE 1049
#define IDC_GENERATIONS 1050
#define IDC_MUTATION_RATE 1051
#define IDC_POPULATION 1052
#define IDC_CROSSOVER_RATE 1053
#define IDC_WORKSPACE_OPEN 1054
#define IDC_MULTI_DATA 1056
#define IDC_GENETIC 1057
#define IDC_DEFINITION_SIZE 2001  // steps and tests of the largest step, updated as the user edits

// Timeframe dialog (130)
#define IDC_TF_KIND 1050
#define IDC_TF_VALUE 1051
#define IDC_TF_VALUE_LABEL 1052
#define IDC_TF_COUNT 1053
#define IDC_TF_RANGE_UNIT 1054
#define IDC_TF_PREVIEW 1055
#define IDC_TF_KASE_UNIT 1062

// Permutation dialog (131)
#define IDC_PERM_SYNC_TS 1057
#define IDC_PERM_SHOW 1058
#define IDC_PERM_NUMBER 1059
#define IDC_PERM_INFO 1060
#define IDC_PERM_DATABASE 1061

#pragma once

// Status codes returned by every operation that can fail.
// 0 is success, a negative code an error, a positive code a warning.
// Functions return the first non-zero code they meet and pass it up unchanged.
// Some layers also use codes without a symbolic name (1 and 1990 as warnings,
// -1984 to -1990, -2989 and -2990); those are written as plain numbers.

// Memory, folders, files and threads
constexpr int kAKErrorNoMemory = -899;
constexpr int kAKErrorCantCreateDirectory = -898;
constexpr int kAKErrorCantFindDirectory = -897;
constexpr int kAKErrorCantFindFile = -896;
constexpr int kAKErrorCantFindResource = -895;
constexpr int kAKErrorCantStartThread = -894;
constexpr int kAKErrorFileNotOpened = -893;
constexpr int kAKErrorFileYetOpened = -892;
constexpr int kAKErrorFileCantOpen = -891;
constexpr int kAKErrorFileCantRead = -890;
constexpr int kAKErrorFileCantWrite = -889;
constexpr int kAKErrorFileCantSetPos = -888;
constexpr int kAKErrorFileCantGetPos = -887;
constexpr int kAKErrorFileCantSetSize = -886;
constexpr int kAKErrorFileCantGetInfo = -885;
constexpr int kAKErrorFileCantMmap = -884;
constexpr int kAKErrorFileMmapBadOffset = -883;
constexpr int kAKErrorFileMmapOutOfBounds = -882;
constexpr int kAKErrorFileDataTooBig = -881;

// Chunks
constexpr int kAKErrorChunkUnknownSignature = -880;
constexpr int kAKErrorChunkUnknownEndianness = -879;
constexpr int kAKErrorChunkUnknownVersion = -878;
constexpr int kAKErrorChunkTooOldVersion = -877;
constexpr int kAKErrorChunkTooNewVersion = -876;
constexpr int kAKErrorChunkBadItemCount = -875;

// Dictionaries
constexpr int kAKErrorDictionaryInvalidKey = -874;
constexpr int kAKErrorDictionaryUnknownKey = -873;
constexpr int kAKErrorDictionaryCantAddKey = -872;

// XML property lists
constexpr int kAKErrorDictionaryXmlUnavailable = -871;
constexpr int kAKErrorDictionaryXmlCantRead = -870;
constexpr int kAKErrorDictionaryXmlCantWrite = -869;
constexpr int kAKErrorDictionaryXmlBadVersion = -868;
constexpr int kAKErrorDictionaryXmlBadStructure = -867;
constexpr int kAKErrorDictionaryXmlUnknownType = -866;

// Class registry
constexpr int kAKErrorClassInternalFatalError = -799;
constexpr int kAKErrorClassRegisterClosed = -798;
constexpr int kAKErrorClassTooManyClasses = -797;
constexpr int kAKErrorClassAlreadyExistID = -796;
constexpr int kAKErrorClassUnknownSupClass = -795;
constexpr int kAKErrorClassAlreadyInited = -794;
constexpr int kAKErrorClassBadFormatedID = -793;
constexpr int kAKErrorClassMainBadAPIVersion = -792;
constexpr int kAKErrorClassMainReturnsError = -791;

// Objects
constexpr int kAKErrorObjectNewUnknownClass = -790;
constexpr int kAKErrorObjectNewAbstractClass = -789;
constexpr int kAKErrorObjectNoAttachedDocument = -788;

// Tree, history and nodes
constexpr int kAKErrorTreeAlreadyInitialized = -699;
constexpr int kAKErrorTreeBadCoherency = -698;
constexpr int kAKErrorTreeHistoryClosed = -697;
constexpr int kAKErrorTreeHistoryCantUndo = -696;
constexpr int kAKErrorTreeHistoryCantRedo = -695;
constexpr int kAKErrorTreeNodeBadID = -694;
constexpr int kAKErrorTreeNodeNoOwnedObject = -693;
constexpr int kAKErrorTreeNodeYetOwnedObject = -692;

// Tree handler
constexpr int kAKErrorTreeHandlerReadOnly = -691;
constexpr int kAKErrorTreeHandlerBadTreeOwner = -690;
constexpr int kAKErrorTreeHandlerBadTreeSelType = -689;
constexpr int kAKErrorTreeHandlerEmptyTreeSel = -688;
constexpr int kAKErrorTreeHandlerDisjointTreeSel = -687;
constexpr int kAKErrorTreeHandlerCantMoveTreeSel = -686;
constexpr int kAKErrorTreeHandlerNoTargetNode = -685;
constexpr int kAKErrorTreeHandlerBadTargetNodeType = -684;
constexpr int kAKErrorTreeHandlerNoLinkMode = -683;
constexpr int kAKErrorTreeHandlerNoObjectToAdd = -682;
constexpr int kAKErrorTreeHandlerIncompatibleLink = -681;
constexpr int kAKErrorTreeHandlerEmptyPasteboard = -680;
constexpr int kAKErrorTreeHandlerIncompatiblePasteboard = -679;
constexpr int kAKErrorTreeHandlerModelUnknown = -678;

// Command handler
constexpr int kQVErrorGandlerUndefDocument = -599;
constexpr int kQVErrorGandlerUndefObject = -598;
constexpr int kQVErrorGandlerUndefOption = -597;
constexpr int kQVErrorGandlerWrongOption = -596;
constexpr int kQVErrorGandlerTargetBadType = -595;

// Documents
constexpr int kQVErrorDocumentAlreadyInitialized = -594;
constexpr int kQVErrorDocumentFormatNotRecognized = -593;
constexpr int kQVErrorDocumentNoAssociatedFile = -592;
constexpr int kQVErrorDocumentCantOverwriteExistingFile = -591;
constexpr int kQVErrorDocumentUnknownProperty = -590;

// Sound files
constexpr int kQVErrorSoundFileNotOpened = -589;
constexpr int kQVErrorSoundFileYetOpened = -588;
constexpr int kQVErrorSoundFileCantInit = -587;
constexpr int kQVErrorSoundFileCantGetInfo = -586;
constexpr int kQVErrorSoundFileCantOpen = -585;
constexpr int kQVErrorSoundFileCantSkip = -584;
constexpr int kQVErrorSoundFileCantRead = -583;
constexpr int kQVErrorSoundFileCantWrite = -582;
constexpr int kQVErrorSoundFileCantSetPos = -581;
constexpr int kQVErrorSoundFileCantGetPos = -580;

// Providers
constexpr int kQVErrorProviderInternalError = -579;
constexpr int kQVErrorProviderInternalBadState = -578;
constexpr int kQVErrorProviderCantStartLoadThread = -577;
constexpr int kQVErrorProviderSoundFileNotFound = -576;
constexpr int kQVErrorProviderSoundFileUnknownFormat = -575;
constexpr int kQVErrorProviderSoundFileTooBig = -574;
constexpr int kQVErrorProviderCantAllocateMem = -573;
constexpr int kQVErrorProviderNotFound = -572;
constexpr int kQVErrorProviderNotValid = -571;

// Bounce
constexpr int kQVErrorBouncerInternalError = -570;
constexpr int kQVErrorBouncerBadState = -569;
constexpr int kQVErrorBouncerInvalidParameter = -568;
constexpr int kQVErrorBouncerCantStartBounceThread = -567;

// C-style interface parameters and arguments
constexpr int kQVErrorUProcParamBooleanWrong = -566;
constexpr int kQVErrorUProcParamIntegerWrong = -565;
constexpr int kQVErrorUProcParamFloatWrong = -564;
constexpr int kQVErrorUProcParamPointerNull = -563;
constexpr int kQVErrorUProcParamStringEmpty = -562;
constexpr int kQVErrorUProcParamStringTooLong = -561;
constexpr int kQVErrorUProcParamTypeUnknown = -560;
constexpr int kQVErrorUProcParamKeyUnknown = -559;
constexpr int kQVErrorUProcParamListBadFormat = -558;
constexpr int kQVErrorUProcArgumentBadType = -557;
constexpr int kQVErrorUProcCommandUnknown = -556;
constexpr int kQVErrorUProcProviderUnknown = -555;
constexpr int kQVErrorUProcDocumentUnknown = -554;
constexpr int kQVErrorUProcModelUnknown = -553;
constexpr int kQVErrorUProcLinkModeUnknown = -552;
constexpr int kQVErrorUProcObjectUnknown = -551;
constexpr int kQVErrorUProcObjectWrongType = -550;
constexpr int kQVErrorUProcObjectsUnknown = -549;
constexpr int kQVErrorUProcObjectsInWrongDoc = -548;
constexpr int kQVErrorUProcPluginNoAccess = -547;
constexpr int kQVErrorUProcCantBounce = -546;

// Scripts
constexpr int kQVErrorJScriptNonAsciiChar = -545;
constexpr int kQVErrorJScriptArgumentBadCount = -544;
constexpr int kQVErrorJScriptArgumentBadType = -543;
constexpr int kQVErrorJScriptSyntaxError = -542;
constexpr int kQVErrorJScriptTimeOut = -541;

// Application, repository, plug-ins
constexpr int kQVErrorApplicationUnknownProperty = -540;
constexpr int kQVErrorCantFindRepository = -539;
constexpr int kQVErrorCantLoadPlugin = -538;

// Miscellaneous
constexpr int kAKErrorMiscellaneous = -1;

// Engine warnings
constexpr int kQVWarningHandlerCantCompletePaste = 501;
constexpr int kQVWarningHandlerCantAssociateObjects = 502;
constexpr int kQVWarningProviderIncompleteField = 503;
constexpr int kQVWarningProviderRenumberCollision = 504;
constexpr int kQVWarningProviderSoundDurationLower = 505;
constexpr int kQVWarningProviderSoundDurationGreater = 506;
constexpr int kQVWarningUProcOptionKeyUnknown = 507;
constexpr int kQVWarningUProcOptionWrongType = 508;
constexpr int kQVWarningUProcCantLaunchAutoIdling = 509;
constexpr int kQVWarningTrackZoneInvalidProviderIDs = 510;
constexpr int kQVWarningAudioPoolChainCorrupted = 511;

// Tree warnings
constexpr int kAKWarningTreeActionParamWrongOwner = 601;
constexpr int kAKWarningTreeContextObjectIsWrong = 602;
constexpr int kAKWarningTreeCantUseDirectAccessNodes = 603;
constexpr int kAKWarningTreeNodesStillHaveUIPeerData = 604;
constexpr int kAKWarningTreeNodeDeletedStillOwner = 605;

// Class and object warnings
constexpr int kAKWarningClassUndefMethod = 701;
constexpr int kAKWarningObjectCantInit = 702;
constexpr int kAKWarningObjectCantReinit = 703;
constexpr int kAKWarningObjectCantAttachUIPeer = 704;
constexpr int kAKWarningObjectCantDetachUIPeer = 705;
constexpr int kAKWarningObjectInitedHaveUIPeerData = 706;
constexpr int kAKWarningObjectDeletedStillPeered = 707;
constexpr int kAKWarningObjectDeletedStillHolded = 708;
constexpr int kAKWarningObjectDeletedStillOwned = 709;

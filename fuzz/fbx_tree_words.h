#pragma once

// What the importer looks for by name: field names of the scene, its
// objects, takes and curves, and the texts it compares values with (object
// classes, model types, property and data type names, flags, channel names,
// connection kinds, key and extrapolation letters). Mutations draw names
// and texts from here so that a changed name is one the importer acts on.

// clang-format off
constexpr const char* kFbxFieldWords[] = {
    "FBXHeaderExtension", "FBXHeaderVersion", "FBXVersion", "Definitions", "ObjectType", "Objects",
    "Model", "Version", "Type", "Properties60", "Properties", "Property", "Children", "Connections",
    "Connect", "Takes", "Current", "Take", "FileName", "Comments", "LocalTime", "ReferenceTime",
    "Channel", "Default", "KeyVer", "KeyCount", "Key", "Color", "Pre-Extrapolation",
    "Post-Extrapolation", "Repetition", "LayerType", "LayerID", "UserName", "TimeWarpID",
    "LimbLength", "Size", "SceneInfo", "MetaData", "Title", "Deformer", "Material", "Count",
    "Lcl Translation", "Lcl Rotation", "InheritType", "PreRotation", "Visibility", "LayerChannel",
    "Pose"};
constexpr const char* kFbxTextWords[] = {
    "Model::Scene", "OO", "OP", "PO", "Model", "Lcl Translation", "Lcl Rotation", "Lcl Scaling",
    "Visibility", "Vector", "Number", "Real", "Color", "ColorAndAlpha", "A", "A+", "AU", "A+U", "",
    "Null", "Marker", "Root", "Limb", "LimbNode", "Effector", "Mesh", "Camera", "OpticalMarker",
    "T", "R", "S", "X", "Y", "Z", "Transform", "double", "int", "bool", "enum", "KString", "KTime",
    "Vector3D", "ColorRGB", "ColorRGBA", "Action", "charptr", "PreRotation", "PostRotation",
    "RotationActive", "InheritType", "RotationOffset", "RotationPivot", "ScalingPivot",
    "ScalingOffset", "RotationOrder", "Size", "Walk", "Run", "Default", "Take 001", "Model::", "::",
    "SceneInfo::GlobalInfo"};
// clang-format on

// A model's own properties (those evaluation reads: pivots, limits, orders,
// inherit type, the local transform) and the type names a "Property" field
// states, animatable data types among them.
// clang-format off
constexpr const char* kFbxPropertyWords[] = {
    "Lcl Translation", "Lcl Rotation", "Lcl Scaling", "Visibility", "RotationOffset", "RotationPivot",
    "ScalingOffset", "ScalingPivot", "PreRotation", "PostRotation", "RotationActive", "RotationMin",
    "RotationMax", "RotationMinX", "RotationMaxY", "RotationMinZ", "TranslationActive",
    "TranslationMin", "TranslationMax", "TranslationMaxX", "ScalingActive", "ScalingMin", "ScalingMax",
    "ScalingMinY", "RotationOrder", "RotationSpaceForLimitOnly", "QuaternionInterpolate",
    "InheritType", "GeometricTranslation", "GeometricRotation", "GeometricScaling",
    "RotationPivotUpdateOffset", "Show", "LookAtProperty", "Size", "Color", "UserNote"};
constexpr const char* kFbxTypeWords[] = {
    "Vector3D", "double", "bool", "enum", "int", "float", "KString", "KTime", "ColorRGB", "ColorRGBA",
    "Lcl Translation", "Lcl Rotation", "Lcl Scaling", "Visibility", "Vector", "Number", "Real", "Color",
    "ColorAndAlpha", "object", "charptr", "Action", "Reference", "stringlist", "Vector4D", "event"};
constexpr const char* kFbxPropertyFlags[] = {"", "A", "A+", "AU", "A+U", "U", "+"};
// clang-format on

// Letters of stored keys (interpolation, tangent, weight, constant mode)
// and of extrapolation types.
constexpr char kFbxKeyLetters[] = {'C', 'L', 'U', 's', 'n', 'a', 'd', 'p', 'q', 'b', 't', 'r',
                                   'l', 'H', 'R', 'T', 'B', 'I', 'O', 'A', 'Z', 'M', 'K', 'u'};

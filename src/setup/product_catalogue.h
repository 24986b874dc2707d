#pragma once

// Product codes of the packages the launcher handles.
inline constexpr char16_t kPluginProductCode[] = u"{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}";
inline constexpr char16_t kCspProductCode[] = u"{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}";
inline constexpr char16_t kCspSecondProductCode[] = u"{9A04C6E3-58D1-4B7F-8E26-C13F0A9B5D72}";
inline constexpr char16_t kZazCspProductCode[] = u"{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}";

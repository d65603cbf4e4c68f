#include "tests/tools/ToolImages.h"

#include "pages/gauge/render/CRenderSurface.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>

using Microsoft::WRL::ComPtr;

std::optional<DecodedImage> DecodePng(const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    GUID container{};
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetContainerFormat(&container)) ||
        !IsEqualGUID(container, GUID_ContainerFormatPng) || FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)))
        return std::nullopt;
    DecodedImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    if (FAILED(converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(image.pixels.size()),
                                     image.pixels.data())))
        return std::nullopt;
    return image;
}

std::vector<BYTE> ReferenceFrame(const GaugeLoader& load, const std::vector<GaugeValue>& values,
                                 const GaugeLoader& before) {
    CSimConnectLibrary simConnect{L"absent-simconnect.dll"};
    GaugeVariables store{simConnect};
    CGaugeRenderer renderer{simConnect};
    load(renderer, store);
    // The values become current through the engine's own assignment, after the received
    // values (all 0 here) were made current.
    store.CopyReceivedToCurrent();
    for (const GaugeValue& value : values)
        store.SetValue(value.letter, value.name, value.units, value.value);
    if (before)
        before(renderer, store);
    CRenderSurface surface;
    {
        const CRenderSurface::Selection selected = surface.SelectSection();
        renderer.Render(surface.DeviceContext());
    }
    surface.PublishFrame();
    const CRenderSurface::SendBufferLock sent = surface.LockSendBuffer();
    return std::vector<BYTE>(sent.Data(), sent.Data() + sent.Size());
}

std::string CompareWithFrame(const DecodedImage& image, const std::vector<BYTE>& frame, int left,
                             int top) {
    constexpr int kWidth = CRenderSurface::Width;
    constexpr int kHeight = CRenderSurface::Height;
    if (image.width < left + kWidth || image.height < top + kHeight)
        return "the image is smaller than the frame";
    int differing = 0;
    char first[96] = {};
    for (int y = 0; y < kHeight; ++y) {
        const BYTE* expected = frame.data() + static_cast<size_t>(kHeight - 1 - y) * kWidth * 3;
        for (int x = 0; x < kWidth; ++x) {
            const BYTE* actual = image.At(left + x, top + y);
            if (actual[0] == expected[3 * x] && actual[1] == expected[3 * x + 1] &&
                actual[2] == expected[3 * x + 2])
                continue;
            if (differing++ == 0)
                std::snprintf(first, sizeof(first),
                              "(%d, %d) is %02X%02X%02X, expected %02X%02X%02X", x, y, actual[2],
                              actual[1], actual[0], expected[3 * x + 2], expected[3 * x + 1],
                              expected[3 * x]);
        }
    }
    return differing == 0 ? std::string()
                          : std::to_string(differing) + " pixels differ, first " + first;
}

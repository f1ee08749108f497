// Compares the replay's kept frame with a golden PNG, in the page (the browser decodes the PNG).
//
// Both are 1024 x 768; the kept frame's rows run bottom first, as glReadPixels gives them. A
// pixel differs when one of its colour channels differs by more than `channel` levels.
export async function compareWithGolden(page, goldenUrl, channel) {
  return page.evaluate(
    async ({ goldenUrl, channel }) => {
      const frame = Module.replayFrame;
      const image = await createImageBitmap(await (await fetch(goldenUrl)).blob(), {
        colorSpaceConversion: 'none',
        premultiplyAlpha: 'none',
      });
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const golden = context.getImageData(0, 0, image.width, image.height).data;
      if (image.width !== frame.width || image.height !== frame.height) {
        return { error: `golden ${image.width}x${image.height}, frame ${frame.width}x${frame.height}` };
      }
      let pixels = 0;
      let largest = 0;
      let lit = 0;
      for (let y = 0; y < frame.height; ++y) {
        const from = (frame.height - 1 - y) * frame.width * 4;
        const to = y * frame.width * 4;
        for (let x = 0; x < frame.width * 4; x += 4) {
          let worst = 0;
          for (let c = 0; c < 3; ++c) {
            worst = Math.max(worst, Math.abs(frame.pixels[from + x + c] - golden[to + x + c]));
          }
          pixels += worst > channel;
          largest = Math.max(largest, worst);
          lit += frame.pixels[from + x] + frame.pixels[from + x + 1] + frame.pixels[from + x + 2] > 48;
        }
      }
      return { pixels, largest, lit };
    },
    { goldenUrl, channel },
  );
}

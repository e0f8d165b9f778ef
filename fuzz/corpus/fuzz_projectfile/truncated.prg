<vuzovez>
<Preference File>%P%/referenceFile.xml</Preference File>
<Working Path>%P%/Project_1</Working Path>
<Temp Path>%P%/Project_1/temp</Temp Path>
<OutPut Path>%P%/Project_1/Output</OutPut Path>
<cuteslideshows>
<slideshow>
<name>Slideshow_0</name>
<cover index>1</cover index>
<audio>
<originalFileName>/p/music.wav</originalFileName>
</audio>
<pic>
<strOriginalFile>%P%/pic.bmp</strOriginalFile>
<m_strTempFile>%P%/pic.bmp</m_strTempFile>
<DUVI_SETTING>
<IS_NTSC>1</IS_NTSC>
<WOKRING_PATH/>
<TEMP_PATH>/p/temp</TEMP_PATH>
<OUTPUT_PATH>/p/Output</OUTPUT_PATH>
<DUVI_EFFECT>
<SINGLE_EFFECT_TIME>3</SINGLE_EFFECT_TIME>
<SINGLE_EFFECT_ID>20</SINGLE_EFFECT_ID>
<SINGLE_EFFECT_INIT_TYPE>0</SINGLE_EFFECT_INIT_TYPE>
<TRANSITIO_EFFECT_TIME>2</TRANSITIO_EFFECT_TIME>
<TRANSITION_EFFECT_SETTING NAME="TRANSITION_EFFECT_BLIND">
<TRANSITION_EFFECT_BLIND_PARAM>
<TRANSITION_EFFECT_BLIND_PARAM_DIRECTION>1</TRANSITION_EFFECT_BLIND_PARAM_DIRECTION>
<TRANSITION_EFFECT_BLIND_WINDOW_NUMBER>6</TRANSITION_EFFECT_BLIND_WINDOW_NUMBER>
</TRANSITION_EFFECT_BLIND_PARAM>
</TRANSITION_EFFECT_SETTING>
</DUVI_EFFECT>
</DUVI_SETTING>
<General>
<ContrastPos>5</ContrastPos>
</General>
<Text>
<TextContent>hi &amp; bye</TextContent>
<x>1</x>
<y>2</y>
<cx>3</cx>
<cy>4</cy>
<FontName>Sans</FontName>
<FontHeight>-12</FontHeight>
<FontColor>255</FontColor>
<FontItalic>0</FontItalic>
<FontWeight>400</FontWeight>
</Text>
<Image>
<ImageName>/x.png</ImageName>
<x>1</x>
<y>2</y>
<cx>3</cx>
<cy>4</cy>
</Image>
<Crop>
<upleft.x>1</upleft.x>
<upleft.y>2</upleft.y>
<downright.x>3</downright.x>
<downright.y>4</downright.y>
</Crop>
<RotateLeft90/>
<RotateRight90/>
<Rotate180/>
<FlipHorizontally/>
<FlipVertically/>
</pic>
<pic>
<strOriginalFile>%P%/pic2.bmp<